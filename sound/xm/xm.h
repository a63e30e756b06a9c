#pragma once
// Modules in the XM format: the module record, its reader and writer, the
// module player that renders into the mixer's module buffer, and the music
// object that names the module to play.
#include <cstdint>

#include "engine/data/prng.h"

struct tarq_file;
struct tarq_sound;

constexpr int TARQ_XM_CHANNELS = 8;
constexpr int TARQ_XM_ROWS = 64;
constexpr int TARQ_XM_ORDERS = 256;
constexpr int TARQ_XM_MAX_PATTERNS = 256;
constexpr int TARQ_XM_MAX_INSTRUMENTS = 128;
constexpr int TARQ_XM_ENV_POINTS = 12;
constexpr int TARQ_XM_SILENT_SAMPLES = 1024;  // instrument 0
constexpr int TARQ_XM_BUFFER = 4096;
constexpr int32_t TARQ_XM_SAMPLE_16BIT = 0x10;  // sample type bit

struct tarq_xm_cell {
  uint8_t note, instrument, volume, effect, param;
};

struct tarq_xm_pattern {
  int32_t rows;  // 1..64
  tarq_xm_cell cell[TARQ_XM_ROWS][TARQ_XM_CHANNELS];
};

struct tarq_xm_sample {
  int32_t length, loop_start, loop_length;  // in samples
  int32_t volume, finetune, type, panning, relative_note, reserved;
  char name[22];
  int16_t* data;  // length samples, or null when the length is 0
};

struct tarq_xm_instrument {
  char name[22];
  int32_t type;
  int32_t sample_count;                       // 0 or 1
  int16_t volume_env[TARQ_XM_ENV_POINTS][2];  // {tick, value 0-64}
  int16_t panning_env[TARQ_XM_ENV_POINTS][2];
  // Counts, sustain and loop points, types and vibrato, as stored.
  uint8_t volume_points, panning_points, volume_sustain, volume_loop_start, volume_loop_end;
  uint8_t panning_sustain, panning_loop_start, panning_loop_end, volume_type, panning_type;
  uint8_t vibrato_type, vibrato_sweep, vibrato_depth, vibrato_rate;
  int32_t fadeout;
  tarq_xm_sample sample;
};

struct tarq_xm {
  char name[20];
  int32_t song_length, restart, channels, flags, tempo, bpm;
  int32_t pattern_count;
  tarq_xm_pattern* patterns;
  int32_t instrument_count;         // instruments in the file; slot 0 is built in
  tarq_xm_instrument* instruments;  // instrument_count + 1 slots
  uint8_t orders[TARQ_XM_ORDERS];
};

struct tarq_xm_channel {
  int32_t active;
  int32_t note;           // 1-96
  int32_t instrument;     // slot, 0 the silent one
  int32_t volume;         // 0-64
  int32_t fine;           // pitch slide, 1/128 semitones
  int32_t target;         // portamento target note
  int32_t effect, param;  // this row's
  int32_t last_param;
  int32_t vibrato_pos;
  int32_t env_tick;
  int32_t gain;  // 0-4096, this tick
  int64_t pos;   // sample position, 8.24
  int64_t step;
};

struct tarq_music;

struct tarq_xm_playstate {
  tarq_xm* xm;
  tarq_xm_channel ch[TARQ_XM_CHANNELS];
  int16_t buf[TARQ_XM_CHANNELS][TARQ_XM_BUFFER];
  int32_t order, row, tick, tempo, samples_per_tick;
  int32_t jump;          // pending order position, -1 none
  int32_t samples_left;  // in the current tick
  tarq_music* music;
  int32_t playing;
  int32_t loop;
  tarq_prng noise;  // for samples still marked 8-bit
};

struct tarq_music {
  tarq_xm* xm;
  int32_t word;
};

// The XM player's record: the mixer's module stream. The callback renders
// the module play state into the module buffer and adds that into the mix;
// main-thread code changes the record under the audio lock.
struct tarq_xm_player {
  tarq_xm_playstate ps0;           // the module play state
  tarq_music* tarq_current_music;  // the music being played, or null
  int16_t xmbuf[TARQ_XM_BUFFER];   // the module buffer
};

extern tarq_xm_player xm0;

// Renders up to `samples` (at most 4096) into buffer; the samples after the
// module's end are zero. The count rendered before the end.
int32_t tarq_mix_xm_chunk(tarq_xm_playstate* ps, int16_t* buffer, int32_t samples);

// The step (8.24 samples per output sample) of a pitch in 1/128 semitones
// above the lowest note.
int64_t tarq_xm_step(int32_t fine);

// The mixer's module stream: adds n samples into mix (audio thread).
void mix_in_xm(int16_t* mix, int n);
// Clears the play state's module and playing flag (audio lock held).
void tovo_xm_clear_playstate();
