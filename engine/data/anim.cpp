#include "engine/data/anim.h"

#include <cstdio>
#include <cstring>

#include "engine/tarq.h"
#include "engine/tracked_mem.h"

namespace {

void init_channel(tarq_anim_channel* c, int32_t value_size) {
  memset(c, 0, sizeof *c);
  c->value_size = value_size;
}

void free_channel_arrays(tarq_anim_channel* c) {
  tarq_free(c->values);
  tarq_free(c->times);
  tarq_free(c->interpolation);
  c->values = nullptr;
  c->times = c->interpolation = nullptr;
  c->count = c->capacity = 0;
}

}  // namespace

void cactor_destroy_channels(tarq_actor* a) {
  for (tarq_anim_channel& c : a->channel) free_channel_arrays(&c);
  free_channel_arrays(&a->command);
  for (int32_t i = 0; i < a->bone_count; i++) tarq_destroy_anim_channel(a->bones[i]);
  tarq_free(a->bones);
  a->bones = nullptr;
  a->bone_count = 0;
}

tarq_anim* tarq_create_anim() {
  tarq_anim* anim = static_cast<tarq_anim*>(tarq_calloc(sizeof(tarq_anim)));
  if (anim) tarq_item_created();
  return anim;
}

void tarq_destroy_anim(tarq_anim* anim) {
  if (!anim) return;
  for (int32_t i = 0; i < anim->actor_count; i++) cactor_destroy_channels(&anim->actors[i]);
  tarq_free(anim->actors);
  tarq_free(anim);
  tarq_item_destroyed();
}

int32_t canim_new_actor(tarq_anim* anim) {
  int32_t n = anim->actor_count;
  tarq_actor* actors =
      static_cast<tarq_actor*>(tarq_realloc(anim->actors, sizeof(tarq_actor) * static_cast<size_t>(n + 1)));
  if (!actors) return -1;
  anim->actors = actors;
  tarq_actor* a = &actors[n];
  memset(a, 0, sizeof *a);
  snprintf(a->name, sizeof a->name, "actor%d", static_cast<int>(n));
  for (int32_t& w : a->word) w = -1;
  for (tarq_anim_channel& c : a->channel) init_channel(&c, TARQ_ANIM_VECTOR_SIZE);
  init_channel(&a->command, TARQ_ANIM_COMMAND_SIZE);
  anim->actor_count = n + 1;
  return n;
}

// Gives an actor n empty bone channels in place of its old ones.
int canim_set_bone_count(tarq_actor* a, int32_t n) {
  for (int32_t i = 0; i < a->bone_count; i++) tarq_destroy_anim_channel(a->bones[i]);
  tarq_free(a->bones);
  a->bones = nullptr;
  a->bone_count = 0;
  if (n <= 0) return 1;
  a->bones = static_cast<tarq_anim_channel**>(tarq_calloc(sizeof(tarq_anim_channel*) * static_cast<size_t>(n)));
  if (!a->bones) return 0;
  a->bone_count = n;
  for (int32_t i = 0; i < n; i++) {
    a->bones[i] = tarq_create_anim_channel(TARQ_ANIM_BONE_SIZE);
    if (!a->bones[i]) return 0;
  }
  return 1;
}

tarq_anim_channel* tarq_create_anim_channel(int32_t value_size) {
  tarq_anim_channel* c = static_cast<tarq_anim_channel*>(tarq_calloc(sizeof(tarq_anim_channel)));
  if (c) c->value_size = value_size;
  return c;
}

void tarq_destroy_anim_channel(tarq_anim_channel* c) {
  if (!c) return;
  free_channel_arrays(c);
  tarq_free(c);
}

int canim_channel_set_num_states(tarq_anim_channel* c, int32_t n) {
  if (n < 0) return 0;
  if (n > c->capacity) {
    uint8_t* values =
        static_cast<uint8_t*>(tarq_realloc(c->values, static_cast<size_t>(n) * static_cast<size_t>(c->value_size)));
    if (!values) return 0;
    c->values = values;
    int32_t* times = static_cast<int32_t*>(tarq_realloc(c->times, sizeof(int32_t) * static_cast<size_t>(n)));
    if (!times) return 0;
    c->times = times;
    int32_t* interp = static_cast<int32_t*>(tarq_realloc(c->interpolation, sizeof(int32_t) * static_cast<size_t>(n)));
    if (!interp) return 0;
    c->interpolation = interp;
    c->capacity = n;
  }
  c->count = n;
  return 1;
}
