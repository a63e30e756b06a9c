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
  int32_t* buffer;  // the node's rendered samples (oversampled length), or null
};

struct tarq_synth {
  int32_t header[2];  // header[0]: length * 4
  tarq_synth_node node[TARQ_SYNTH_NODES];
  tarq_sound* sound;  // the rendered sound, or null
  int32_t generating;  // 1 between the first and the last slice of a render
  int32_t next_node;   // the node the next slice evaluates
  int32_t output;      // the output node, -1 none
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
// Stops the sound where it plays and starts it from its beginning on the
// first idle channel of 8-15; with all eight busy, on the one of 12-15 whose
// sample sound is shortest (or that holds none).
void tarq_play_sound(tarq_sound* sound);
// 1 while a mixer channel plays the sound.
int tarq_sound_is_playing(tarq_sound* sound);
void csound_set_volume(tarq_sound* sound, int32_t volume);
// Stand-ins kept for callers: no position or status is tracked.
int32_t tarq_get_sound_position();
int32_t tarq_set_sound_position(int32_t position);
int32_t tarq_sound_status();

tarq_synth* tarq_create_synth(int32_t length);
int tarq_destroy_synth(tarq_synth* synth);
// Stops and destroys the rendered sound and frees every node buffer.
void tarq_synth_clear_buffers(tarq_synth* synth);
// Renders the whole graph into `sound` (null: the synth's own sound, made
// when missing). 0 when a sound was written, 1 when the graph has no output
// or a buffer could not be made.
int tarq_synth_generate(tarq_synth* synth, tarq_sound* sound, int32_t flags);
// One node per call; 1 while more slices are due, 0 after the last one.
int tarq_synth_generate_slice(tarq_synth* synth, tarq_sound* sound, int32_t flags);
