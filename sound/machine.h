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

struct tovo_note {
  int32_t pitch;     // 0-63
  int32_t waveform;  // 0-7
  int32_t volume;    // 0-7
  int32_t effect;    // 0-7
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

// What the mixer reads of the machine besides the carts it plays.
struct tovo_sound_machine {
  const int32_t* regs;  // the four sound registers, 0x5f40-0x5f43
};

// Points the sound engine at the machine; the shell calls it before sound
// starts, and sound start refuses to run without it.
void tovo_set_sound_machine(const tovo_sound_machine& machine);
