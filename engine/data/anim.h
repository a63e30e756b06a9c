#pragma once
// Animation sets as pod items: actors holding keyframe channels.
#include <cstdint>

struct tarq_anim_channel {
  int32_t count;
  int32_t capacity;
  int32_t value_size;      // bytes per state value
  uint8_t* values;         // count * value_size bytes
  int32_t* times;          // ascending
  int32_t* interpolation;  // 0 interpolate to the next state, 1 hold
};

constexpr int TARQ_ACTOR_NAME_SIZE = 32;
constexpr int TARQ_ANIM_VECTOR_SIZE = 12;
constexpr int TARQ_ANIM_BONE_SIZE = 16;
constexpr int TARQ_ANIM_COMMAND_SIZE = 24;

struct tarq_actor {
  char name[TARQ_ACTOR_NAME_SIZE];
  char second_name[TARQ_ACTOR_NAME_SIZE];
  int32_t word[4];               // -1 at creation
  tarq_anim_channel channel[3];  // scale (1, 1, 1), then two vectors (0, 0, 0)
  tarq_anim_channel** bones;     // bone_count channels, entries may be null
  tarq_anim_channel command;
  int32_t word_a;
  int32_t bone_count;
  int32_t word_b;
};

struct tarq_anim {
  int32_t actor_count;
  tarq_actor* actors;
  int32_t word[2];
};

tarq_anim* tarq_create_anim();
void tarq_destroy_anim(tarq_anim* anim);
int32_t canim_new_actor(tarq_anim* anim);
// Frees an actor's channels and its bone-channel array.
void cactor_destroy_channels(tarq_actor* actor);
int canim_set_bone_count(tarq_actor* actor, int32_t n);
tarq_anim_channel* tarq_create_anim_channel(int32_t value_size);
void tarq_destroy_anim_channel(tarq_anim_channel* channel);
int canim_channel_set_num_states(tarq_anim_channel* channel, int32_t n);
