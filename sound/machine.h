#pragma once
// The machine as the sound engine sees it. The sound engine includes no
// console header: it owns the records of a cart's sound effects and music
// patterns, which the console's cart embeds and the mixer plays in place, and
// the record of what else it reads of the machine (its sound registers),
// which the shell fills when it sets up the machine.
//
// The mixer reads these words on the audio thread while the main thread may
// write them: the main thread writes them only through tovo_sound_word_store
// and the audio thread reads them through tovo_sound_word_load, relaxed
// atomic accesses of plain int32_t fields, so the records keep their plain
// layout (an sfx is 165 consecutive words).
#include <atomic>
#include <cstdint>

constexpr int TOVO_SFX_COUNT = 64;
constexpr int TOVO_SFX_NOTES = 32;
constexpr int TOVO_PATTERNS = 64;
constexpr int TOVO_PATTERN_CHANNELS = 4;
constexpr int32_t TOVO_MUSIC_CHANNEL_OFF = 0x41;  // default channel value (above 63: no sfx)

// The waveforms of a note. A custom note's waveform names instead the sound
// effect 0-7 that it plays as its instrument.
enum tovo_waveform : int32_t {
  TOVO_WAVE_TRIANGLE = 0,
  TOVO_WAVE_RAMP = 1,  // rises over most of the period, falls over the rest
  TOVO_WAVE_SAW = 2,
  TOVO_WAVE_SQUARE = 3,
  TOVO_WAVE_PULSE = 4,  // a narrower pulse
  TOVO_WAVE_FOLD = 5,   // a folded triangle
  TOVO_WAVE_NOISE = 6,
  TOVO_WAVE_DETUNED_TRIANGLE = 7,  // a triangle beating against a flatter one
};
constexpr int32_t TOVO_INSTRUMENTS = 8;  // sound effects 0-7 double as instruments

// The effects of a note.
enum tovo_note_effect : int32_t {
  TOVO_EFFECT_NONE = 0,
  TOVO_EFFECT_SLIDE = 1,  // from the previous note's pitch and volume
  TOVO_EFFECT_VIBRATO = 2,
  TOVO_EFFECT_DROP = 3,  // the pitch falls to nothing over the note
  TOVO_EFFECT_FADE_IN = 4,
  TOVO_EFFECT_FADE_OUT = 5,
  TOVO_EFFECT_ARPEGGIO_FAST = 6,  // through the four notes of its group
  TOVO_EFFECT_ARPEGGIO_SLOW = 7,
};

struct tovo_note {
  int32_t pitch;     // 0-63
  int32_t waveform;  // 0-7, a tovo_waveform or an instrument
  int32_t volume;    // 0-7
  int32_t effect;    // 0-7, a tovo_note_effect
  int32_t custom;    // 0, or 128 when the note plays the custom instrument
};

struct tovo_sfx {
  int32_t flags;       // the flag byte without bit 0
  int32_t flag0;       // bit 0 of the flag byte
  int32_t speed;       // ticks per note
  int32_t loop_start;  // note index
  int32_t loop_end;    // note index; loops when loop_start < loop_end
  tovo_note notes[TOVO_SFX_NOTES];
};

// A cart's sound effects and music patterns, as the mixer plays them.
struct tovo_cart_sound {
  tovo_sfx sfx[TOVO_SFX_COUNT];
  int32_t music[TOVO_PATTERNS][TOVO_PATTERN_CHANNELS];  // sfx index; above 63: none
  int32_t music_flags[TOVO_PATTERNS];                   // bit c: bit 7 of channel c's memory byte
};

static_assert(sizeof(tovo_note) == 5 * sizeof(int32_t));
static_assert(sizeof(tovo_sfx) == 165 * sizeof(int32_t));

// Relaxed atomic access to a word that the mixer reads while it plays.
inline int32_t tovo_sound_word_load(const int32_t& word) {
  return std::atomic_ref<int32_t>(const_cast<int32_t&>(word)).load(std::memory_order_relaxed);
}
inline void tovo_sound_word_store(int32_t& word, int32_t value) {
  std::atomic_ref<int32_t>(word).store(value, std::memory_order_relaxed);
}

// The sound registers, in the order in which the machine maps them into its
// memory. Each has one bit per channel of a group of four: bit c for channel
// c and a second one, bit c + TOVO_SOUND_REG_SECOND, with a milder effect.
enum tovo_sound_register : int {
  TOVO_SOUND_REG_SPEED = 0,    // bit c: half speed; second bit: an octave down
  TOVO_SOUND_REG_REVERB = 1,   // bit c: long reverb; second bit: at least short reverb
  TOVO_SOUND_REG_CRUSH = 2,    // bit c: coarse bit crush; second bit: fine bit crush
  TOVO_SOUND_REG_LOWPASS = 3,  // bit c: strong low-pass; second bit: at least mild; both: strongest
};
constexpr int TOVO_SOUND_REGISTERS = 4;
constexpr int TOVO_SOUND_REG_SECOND = 4;

// What the mixer reads of the machine besides the carts it plays.
struct tovo_sound_machine {
  const int32_t* regs;  // the TOVO_SOUND_REGISTERS sound registers
};

// Points the sound engine at the machine; the shell calls it before sound
// starts, and sound start refuses to run without it.
void tovo_set_sound_machine(const tovo_sound_machine& machine);
