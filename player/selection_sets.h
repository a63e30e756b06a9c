#pragma once
// Selection/backup sets of the sprite sheet, the map and the sound editor,
// made at start-up, and the undo state of a sprite sheet or map.
#include <cstdint>

#include "sound/machine.h"

struct tarq_bitmap;
struct tarq_file;

// One set: four 8-bit bitmaps of one size and a backup of the sprite flags.
struct dbmp {
  tarq_bitmap* mask;         // selection mask, non-zero where selected
  tarq_bitmap* work;         // work bitmap (the sheet's second drawing buffer)
  tarq_bitmap* backup;       // backup of the edited bitmap
  tarq_bitmap* mask_backup;  // backup of the mask
  int32_t gff_backup[256];   // the sprite flags, for the sprite-sheet set
};

constexpr int32_t TOVO_SHEET_VIEW_VALUES = 8;
constexpr int32_t TOVO_MAP_VIEW_VALUES = 4;
constexpr int32_t TOVO_SOUND_VIEW_VALUES = 13;
// The height that tells a map's undo state from a sprite sheet's.
constexpr int32_t TOVO_UNDO_MAP_HEIGHT = 64;

// The sets: sprite sheet and map 128x128, and one 8x32 set per sound effect
// for the sound editor.
struct tovo_selection_sets {
  dbmp* gfx;
  dbmp* map;
  dbmp* sfx[TOVO_SFX_COUNT];
};
// The sets, kept by this module: null until tovo_create_selection_sets.
const tovo_selection_sets& selection_sets();

dbmp* create_dbmp(int32_t width, int32_t height);
void destroy_dbmp(dbmp* set);
void tovo_create_selection_sets();
void tovo_destroy_selection_sets();

// Copies the bitmap into the set's backup and the mask into the mask backup;
// for the sprite-sheet set also the working cart's sprite flags.
void backup_bmp(const tarq_bitmap* bitmap, dbmp* set);

// The undo state of a cart's sprite sheet or map (told apart by its height):
// the pixels, then for the map 1, the map mask and four view values, for the
// sheet 0, the 256 sprite-flag bytes, the sheet mask and eight view values;
// then `value`. Null without memory.
tarq_file* create_undo_bmp_state(const tarq_bitmap* bitmap, int32_t value);
