#pragma once
// The mixer's own state and the steps of the audio callback. Everything here
// belongs to the audio thread while the device runs; main-thread code touches
// it only under the audio lock. What the callback reads without the lock
// (fade level, volumes, registers, the cart's sound words) is read atomically.
#include <cstdint>

#include "engine/data/prng.h"
#include "sound/machine.h"
#include "sound/mixer/history.h"

struct tarq_sound;
struct tarq_file;

constexpr int TOVO_MIX_CHANNELS = 16;
constexpr int TOVO_CONSOLE_CHANNELS = 8;  // summed in console mode
constexpr int TOVO_MIX_SAMPLES = 4096;    // most frames one pass mixes
constexpr int TOVO_TICK = 183;            // samples a tick
constexpr int TOVO_RING = 8;              // finished ticks kept for reverb
constexpr int TOVO_RAMP = 64;             // crossfade and fade-tail samples
constexpr int TOVO_HISTORY = 64;
constexpr int TOVO_FULL_AMP = 1792;  // volume 7 x 256

// The oscillator of one channel, set per tick from the note.
struct tovo_osc_state {
  int32_t waveform;  // 0-7
  int32_t ph;        // 16-bit main phase
  int32_t step;      // main step, 8-0x8000
  int32_t ph2;       // 17-bit second phase
  int32_t step2;
  int32_t walk;        // noise random walk, +-6143
  int32_t toggle;      // noise: 0/1
  int32_t amp;         // 1792 at full scale
  int32_t pitch;       // 16.16, after octave shift
  int32_t ipitch;      // integer pitch with the instrument offset
  int32_t spike;       // noise spike gain
  int32_t hold_count;  // sample-and-hold counter
  int32_t hold_old, hold_new;
  int32_t note_volume, note_pitch, note_waveform;
  int32_t inst_effect;  // 0-7, 0 none
  int32_t inst_flags;   // the instrument's flags word, 0 none
  int32_t inst_drop;    // 0-256
  int32_t detune;       // 0-2
  int32_t shape;        // 0/1
  int32_t noise_mode;   // 0, 1, 2
  int32_t reverb;       // 0-2
};

struct tovo_mixer_channel {
  int16_t out[TOVO_MIX_SAMPLES];
  tarq_sound* sound;  // sample sound playing, or null
  int32_t sound_pos;
  tovo_cart_sound* cart;  // whose sound block the channel plays from
  tovo_sfx* sfx;          // null: no sound effect
  int32_t tick_pos;       // ticks since the sound effect started
  int32_t looping;        // 1 while the loop is honoured
  int32_t number;         // 0-3: the channel's place in its group of four
  int16_t tick[TOVO_TICK];
  int16_t ring[TOVO_RING][TOVO_TICK];
  int32_t ring_index;
  int32_t tick_read;  // samples of `tick` handed out
  int32_t music;      // 1 while playing a music pattern
  int32_t pattern;    // -1 none
  tovo_osc_state osc;
  int32_t prev_pitch, prev_waveform, prev_volume;
  int32_t prev_inst_pitch, prev_inst_waveform, prev_inst_volume;
  int32_t inst_ticks;  // ticks since the current note's instrument started
  int32_t reverb;      // 0-2, this tick
  int32_t lowpass;     // 0, 8, 12, 15, this tick
  int32_t end;         // ticks left; negative: unlimited
  int32_t history_count;
  int32_t history_prev_t, history_t;
  tovo_mixer_state_record history[TOVO_HISTORY];
};

// The mixer's record. The audio thread owns it while the device runs;
// main-thread code changes it under the audio lock, except for the words
// marked shared, which both threads reach through tovo_sound_word_load and
// tovo_sound_word_store (the record stays a plain one that can be copied).
struct tovo_mixer_state {
  tovo_mixer_channel ch[TOVO_MIX_CHANNELS];
  // The clock of fades and of the history: the engine's milliseconds, unless
  // whoever calls the callback itself (offline rendering in the sound tests)
  // holds it still at held_clock_ms. Sound start keeps both.
  int32_t clock_held;
  int32_t held_clock_ms;
  tovo_sound_machine machine;          // set by tovo_set_sound_machine
  tarq_prng prng;                      // the mixer's noise generator
  int32_t fade_vol;                    // shared: the music fade level, 16.16, 0..0x10000
  int32_t advanced_pattern;            // a pattern advanced in this callback
  int32_t last_callback_len = 1024;    // bytes of the last mixed buffer
  int32_t inside_tarq_mixer_callback;  // shared: 1 while the callback mixes
  int32_t audio_pause;                 // shared: non-zero, the mixer outputs silence
  int32_t music_pattern;               // the current music pattern, -1 stopped
  int32_t music_pattern_counter;       // callbacks that advanced a pattern since the music started
  int32_t recording;                   // shared: 1 while the callback appends to tarq_audio_buffer
  tarq_file* tarq_audio_buffer;        // the recording target, null until the first recording
};

extern tovo_mixer_state ms0;

// The callback's mixing once it found the device's format as asked (stream
// zeroed): every channel, the sum, the output, the hook and the recording.
void tarq_mixer_callback_0(uint8_t* stream, int len);

// Reads a word that the main thread may write while the mixer plays.
inline int32_t snd(const int32_t& word) { return tovo_sound_word_load(word); }
int32_t tovo_sound_reg(tovo_sound_register reg);
// A channel's two bits of a sound register: bit `number`, and the second bit
// (TOVO_SOUND_REG_SECOND above it).
inline bool sound_reg_bit(int32_t reg, int32_t number) { return reg >> number & 1; }
inline bool sound_reg_second_bit(int32_t reg, int32_t number) { return reg >> (number + TOVO_SOUND_REG_SECOND) & 1; }
int32_t tovo_console_mode();
int32_t tovo_music_volume();
// The mixer's clock (see tovo_mixer_state).
int32_t tarq_sound_clock();

// Wrapping tick arithmetic (counters run for as long as the program does).
inline int32_t wrap_add(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

inline int32_t sfx_speed(const tovo_sfx* s) {
  int32_t v = snd(s->speed);
  return v < 1 ? 1 : v;
}
inline bool sfx_loops(const tovo_sfx* s) { return snd(s->loop_start) < snd(s->loop_end); }
// Length in notes: 32, or the loop start when it ends the sound.
inline int32_t sfx_length(const tovo_sfx* s) {
  const int32_t ls = snd(s->loop_start);
  return snd(s->loop_end) != 0 || ls < 1 ? 32 : ls;
}
// The flag digits: detune, reverb, low-pass (each 0-2).
inline int32_t flag_digit(int32_t flags, int digit) {
  int32_t d = (flags & 0xff) >> 3;
  for (int i = 0; i < digit; i++) d /= 3;
  return d % 3;
}

// Cart audio block, sound effect, music, sample sound and loop let go; the
// oscillator keeps its amplitude, so the fade tail still sounds.
void tovo_clear_channel(tovo_mixer_channel* c);
bool tovo_channel_idle(const tovo_mixer_channel* c);
// The number of the record among the cart's sound effects, -1 none.
int32_t tovo_sfx_number(const tovo_sfx* sfx, const tovo_cart_sound* cart);

// The folded triangle of waveform 5 over a 16-bit phase: rises to 0x4000 in
// the first quarter, falls back to 0 in the second, then a smaller bump two
// thirds as high over the second half.
int32_t inst5(int32_t x);
// One run of samples from the oscillator state.
void mix_osc_tick_new(tovo_osc_state* st, int16_t* buf, int count, const tovo_mixer_channel* c);
// The step of a 16.16 pitch.
int32_t tovo_pitch_step(int32_t pitch);
void calculate_osc_state(tovo_mixer_channel* c, tovo_osc_state* st);
void mix_sfx_tick(tovo_mixer_channel* c);
void mix_sfx_channel(tovo_mixer_channel* c, int16_t* out, int n);
void update_mix_channel(tovo_mixer_channel* c, int n);

// Music: the pattern length in ticks (-1 with all four channels off) and the
// advance at the end of a pattern.
int32_t tovo_pattern_length(const tovo_cart_sound* cart, int32_t pattern);
void tovo_advance_pattern(tovo_mixer_channel* c);
// A fade from the current level to `level` over fade_ms; the direction of
// the fade under way: 1 fading in, 2 fading out, 0 none.
void tovo_fade_music_to(int32_t level, int32_t fade_ms);
int32_t tovo_fade_direction();
// Sound start: the fade level back to 0 and no fade running.
void tovo_reset_fade();

// History: the timing at the start of a channel fill, and one record.
void tovo_history_begin(tovo_mixer_channel* c, int n);
void tovo_history_add(tovo_mixer_channel* c);

// The soft knee over a 32-bit sum: what lies beyond +-TOVO_KNEE is squeezed
// to a fifth.
constexpr int32_t TOVO_KNEE = 0x6000;
inline int16_t soft_knee(int32_t s) {
  if (s >= TOVO_KNEE) s = (s - TOVO_KNEE) / 5 + TOVO_KNEE;
  else if (s <= -TOVO_KNEE) s = (s + TOVO_KNEE) / 5 - TOVO_KNEE;
  return static_cast<int16_t>(s);
}

// Adds n samples of src into dst, each sum through the soft knee.
void mix_down(int16_t* dst, const int16_t* src, int n);
