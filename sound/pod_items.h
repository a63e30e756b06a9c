#pragma once
// Sounds and synth graphs as pod items: the records the pod reader fills and
// their creation and destruction.
#include <cstdint>

// A PCM sound: 22050 Hz, one channel, 16-bit unless made otherwise.
struct tarq_sound {
  uint8_t* data;         // sample_count * bits / 8 bytes
  int32_t sample_count;
  int32_t bits;
  int32_t frequency;
  int32_t channels;
  int32_t loop;          // 1: starts again at its end
  int32_t volume;        // 256 = full
  int32_t channel;       // mixer channel playing it, -1 none
};

constexpr int TARQ_SYNTH_NODES = 32;
constexpr int TARQ_SYNTH_NODE_WORDS = 86;
constexpr int TARQ_SYNTH_PARAM_FIRST = 3;   // parameter slots of 4 words from word 3
constexpr int TARQ_SYNTH_PARAMS = 16;
constexpr int TARQ_SYNTH_TABLE_FIRST = 67;  // the 64-byte table: words 67..82
constexpr int TARQ_SYNTH_TABLE_BYTES = 64;
constexpr int TARQ_SYNTH_TABLE_COUNT = 83;  // the table's byte count
constexpr int TARQ_SYNTH_LAST = 85;

struct tarq_synth_node {
  int32_t word[TARQ_SYNTH_NODE_WORDS];
  int16_t* buffer;  // the node's rendered samples, or null
};

struct tarq_synth {
  int32_t header[2];  // header[0]: length * 4
  tarq_synth_node node[TARQ_SYNTH_NODES];
  tarq_sound* sound;  // the rendered sound, or null
};

tarq_sound* tarq_create_sound(int32_t sample_count, int32_t bits);
// Under the audio lock, a mixer channel that plays the sound lets it go
// before it is freed.
void tarq_destroy_sound(tarq_sound* sound);
uint8_t* tarq_sound_lock(tarq_sound* sound);
tarq_sound* tarq_sound_release(tarq_sound* sound);
void csound_set_frequency(tarq_sound* sound, int32_t frequency);
// Clears the mixer channel that plays the sound.
void tarq_stop_sound(tarq_sound* sound);

tarq_synth* tarq_create_synth(int32_t length);
int tarq_destroy_synth(tarq_synth* synth);
