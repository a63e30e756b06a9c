#pragma once
// What the engine needs of the layers above it, in one place. The engine
// includes no header of theirs: it names the services here, the layer above
// defines them, and the linker binds them (a program links the engine and the
// sound engine as one group; see CMakeLists.txt).
#include <cstdint>

// The application: the four hooks that the main loop calls by name. The
// application (the player shell, or a test's stand-in) defines all four.
int tarq_main_init(int argc, char** argv);
int tarq_main_update();
int tarq_main_draw();
int tarq_main_exit();

// The sound engine: the main loop's music fade, the stop and close at
// shutdown, the audio device's callback and the volumes the device applies
// when it opens.
// Advances a music fade by engine time; stops the music when it reaches 0.
void tarq_update_music_fading();
// Fades the music out over fade_ms (0: stops at once). The first argument is
// not used.
void cmusic_stop(int32_t music, int32_t fade_ms);
// Pauses and closes the device: after it returns the callback never runs.
int tarq_sound_exit();
void tarq_mixer_callback(void* user, uint8_t* stream, int len);
// Volumes 0-256 (256 = unity), read by the callback without the lock.
// The sound volume is stored only while the device is open.
void tarq_set_sound_volume(int32_t v);
void tarq_set_music_volume(int32_t v);

// The sound engine's pod items: a PCM sound (type 9) and a synth graph
// (type 11). The pod reader makes them with the calls below and fills the
// fields; the pod destroys them by type.

// A PCM sound: 22050 Hz, one channel, 16-bit unless made otherwise.
struct tarq_sound {
  uint8_t* data;  // sample_count * bits / 8 bytes
  int32_t sample_count;
  int32_t bits;
  int32_t frequency;
  int32_t channels;
  int32_t loop;     // 1: starts again at its end
  int32_t volume;   // 256 = full
  int32_t channel;  // mixer channel playing it, -1 none
};

constexpr int TARQ_SYNTH_NODES = 32;
constexpr int TARQ_SYNTH_NODE_WORDS = 86;
constexpr int TARQ_SYNTH_PARAM_FIRST = 3;  // parameter slots of 4 words from word 3
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
  tarq_sound* sound;   // the rendered sound, or null
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
tarq_synth* tarq_create_synth(int32_t length);
int tarq_destroy_synth(tarq_synth* synth);
