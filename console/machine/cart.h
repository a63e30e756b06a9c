#pragma once
// The cart object: program text and ROM data (sprite sheet, map, sprite
// flags, music patterns, sound effects), label picture, format version and
// editor undo stacks.
//
// The machine's cart is played in place by the mixer on the audio thread:
// its sound effects and music patterns are the sound engine's record
// (sound/machine.h), which the cart extends, and are written on the main
// thread only through tovo_sound_word_store.
#include <cstdint>

#include "console/machine/memory_map.h"
#include "sound/machine.h"

struct tarq_bitmap;
struct tarq_undo_stack;

constexpr int TOVO_CODE_SIZE = 65538;  // code buffer bytes
constexpr int TOVO_SPRITES = 256;
constexpr int TOVO_UNDO_STACKS = 4;
constexpr int TOVO_CHANGE_MASK_SIZE = TOVO_ROM_SIZE / 8;

struct tovo_cart : tovo_cart_sound {
  char* code;                 // TOVO_CODE_SIZE bytes, NUL-terminated
  tarq_bitmap* gfx;           // 128x128 8-bit sprite sheet, pixels 0-15
  tarq_bitmap* gfx_view;      // the sheet that drawing and memory reach (not owned)
  tarq_bitmap* map;           // 128x64 8-bit, one byte per cell
  int32_t gff[TOVO_SPRITES];  // sprite flags, low 8 bits used
  tarq_bitmap* label;         // 128x128 8-bit, or null
  int32_t version;
  int32_t legacy_done;
  tarq_undo_stack* undo[TOVO_UNDO_STACKS];
  uint8_t change_mask[TOVO_CHANGE_MASK_SIZE];  // bit a & 7 of byte a >> 3
};

// The speed of a fresh sound effect: 1 for sfx 0, 16 for the others.
constexpr int32_t tovo_default_sfx_speed(int32_t index) { return index == 0 ? 1 : 16; }

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
