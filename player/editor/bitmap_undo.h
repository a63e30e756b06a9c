#pragma once
// Editor side of the selection sets and undo states: swapping a backup with
// the live bitmap, the selected area, and applying sprite-sheet, map and
// sound undo states.
#include <cstdint>

#include "player/selection_sets.h"

struct tovo_cart;

// Swaps the bitmap with the set's backup (for the sprite-sheet set also the
// working cart's sprite flags with the flag backup), then clears the mask.
void restore_bmp(tarq_bitmap* bitmap, dbmp* set);
// 1 when any mask cell is set.
int selection_active(const tarq_bitmap* mask);
// 1 with the bounding box (x0, y0, x1, y1, inclusive) of the marked cells;
// 0 with the whole area of the set when nothing is marked.
int get_selected_area(const dbmp* set, int32_t* out);

// Writes a bitmap undo state back: with a patch, only the bytes it marks as
// changed; without one, every byte. The sheet's state also restores the
// sprite flags and the sheet mask, the map's the map mask. 1 when applied,
// 0 for a null or malformed state.
int restore_undo_bmp_state(tarq_file* state, tarq_bitmap* bitmap, tarq_file* patch);

// The sound undo state: every sfx record, the music patterns and their
// flags, then thirteen view values. Null without memory.
tarq_file* create_undo_sfx64_state(const tovo_cart* cart);
// 1 when applied, 0 for a null or short state.
int restore_undo_sfx64_state(tarq_file* state, tovo_cart* cart);
