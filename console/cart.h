#pragma once
// The cart object: program text and ROM data (sprite sheet, map, sprite
// flags, music patterns, sound effects), label picture, format version and
// editor undo stacks.
//
// The machine's cart is played in place by the mixer on the audio thread.
// The fields it reads while the main thread may write them (every sfx word,
// `music`, `music_flags`) are written on the main thread only through
// tovo_sound_word_store and read on the audio thread through
// tovo_sound_word_load: relaxed atomic accesses of plain int32_t fields, so
// the record keeps its plain layout (an sfx is 165 consecutive words).
#include <atomic>
#include <cstdint>

struct tarq_bitmap;
struct tarq_undo_stack;

constexpr int TOVO_CODE_SIZE = 65538;         // code buffer bytes
constexpr int TOVO_SFX_COUNT = 64;
constexpr int TOVO_SFX_NOTES = 32;
constexpr int TOVO_PATTERNS = 64;
constexpr int TOVO_PATTERN_CHANNELS = 4;
constexpr int TOVO_SPRITES = 256;
constexpr int TOVO_UNDO_STACKS = 4;
constexpr int TOVO_ROM_SIZE = 0x4300;         // ROM bytes 0x0000-0x42ff
constexpr int TOVO_CHANGE_MASK_SIZE = TOVO_ROM_SIZE / 8;
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

struct tovo_cart {
  char* code;              // TOVO_CODE_SIZE bytes, NUL-terminated
  tarq_bitmap* gfx;        // 128x128 8-bit sprite sheet, pixels 0-15
  tarq_bitmap* gfx_view;   // the sheet that drawing and memory reach (not owned)
  tarq_bitmap* map;        // 128x64 8-bit, one byte per cell
  tovo_sfx sfx[TOVO_SFX_COUNT];
  int32_t music[TOVO_PATTERNS][TOVO_PATTERN_CHANNELS];  // sfx index; above 63: none
  int32_t music_flags[TOVO_PATTERNS];  // bit c: bit 7 of channel c's memory byte
  int32_t gff[TOVO_SPRITES];           // sprite flags, low 8 bits used
  tarq_bitmap* label;                  // 128x128 8-bit, or null
  int32_t version;
  int32_t legacy_done;
  tarq_undo_stack* undo[TOVO_UNDO_STACKS];
  uint8_t change_mask[TOVO_CHANGE_MASK_SIZE];  // bit a & 7 of byte a >> 3
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

// A new cart with the defaults: empty code, blank sheet and map, sfx speeds
// 1 (sfx 0) and 16 (the others), music channels 0x41-0x44, a full change
// mask and four empty undo stacks. Null when memory runs out.
tovo_cart* tarq_create_tovo_cart();

// Stops every sound that plays from the cart before anything is freed, frees
// the cart and, when it is the machine's cart, clears the machine's pointer.
// A null cart is ignored.
void tarq_destroy_tovo_cart(tovo_cart* cart);

// A label that is missing or of one colour throughout.
bool label_is_blank(const tarq_bitmap* label);
