#include "player/selection_sets.h"

#include <cstring>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"

namespace {

tovo_selection_sets sets;

constexpr int32_t SHEET_SIDE = 128;
constexpr int32_t SFX_SET_WIDTH = 8;  // a note's fields, one a column

void copy_pixels(const tarq_bitmap* from, tarq_bitmap* to) {
  if (!from || !to) return;
  int32_t w = from->width < to->width ? from->width : to->width;
  int32_t h = from->height < to->height ? from->height : to->height;
  for (int32_t y = 0; y < h; y++) memcpy(to->rows[y], from->rows[y], (size_t)w);
}

void add_mask(tarq_file* state, const dbmp* set) {
  if (set && set->mask) cbuffer_add_data(state, set->mask->pixels, set->mask->width * set->mask->height);
}

void add_zeros(tarq_file* state, int32_t words) {
  for (int32_t i = 0; i < words; i++) tarq_fwrite_int32(0, state);
}

}  // namespace

dbmp* create_dbmp(int32_t width, int32_t height) {
  dbmp* set = (dbmp*)tarq_calloc(sizeof(dbmp));
  if (!set) return nullptr;
  tarq_bitmap** parts[4] = {&set->mask, &set->work, &set->backup, &set->mask_backup};
  for (tarq_bitmap** part : parts) {
    *part = tarq_create_bitmap(width, height, 8);
    if (!*part) {
      destroy_dbmp(set);
      return nullptr;
    }
  }
  return set;
}

void destroy_dbmp(dbmp* set) {
  if (!set) return;
  tarq_destroy_bitmap(set->mask);
  tarq_destroy_bitmap(set->work);
  tarq_destroy_bitmap(set->backup);
  tarq_destroy_bitmap(set->mask_backup);
  tarq_free(set);
}

const tovo_selection_sets& selection_sets() { return sets; }

void tovo_create_selection_sets() {
  tovo_destroy_selection_sets();
  sets.gfx = create_dbmp(SHEET_SIDE, SHEET_SIDE);
  sets.map = create_dbmp(SHEET_SIDE, SHEET_SIDE);
  for (dbmp*& set : sets.sfx) set = create_dbmp(SFX_SET_WIDTH, TOVO_SFX_NOTES);
}

void tovo_destroy_selection_sets() {
  destroy_dbmp(sets.gfx);
  destroy_dbmp(sets.map);
  sets.gfx = sets.map = nullptr;
  for (dbmp*& set : sets.sfx) {
    destroy_dbmp(set);
    set = nullptr;
  }
}

void backup_bmp(const tarq_bitmap* bitmap, dbmp* set) {
  if (!set) return;
  copy_pixels(bitmap, set->backup);
  copy_pixels(set->mask, set->mask_backup);
  if (set == sets.gfx && pitem(0)) memcpy(set->gff_backup, pitem(0)->gff, sizeof set->gff_backup);
}

tarq_file* create_undo_bmp_state(const tarq_bitmap* bitmap, int32_t value) {
  if (!bitmap) return nullptr;
  tarq_file* state = tarq_create_buffer(bitmap->width * bitmap->height + 2048);
  if (!state) return nullptr;
  cbuffer_add_data(state, bitmap->pixels, bitmap->width * bitmap->height);
  if (bitmap->height == TOVO_UNDO_MAP_HEIGHT) {
    tarq_fwrite_int32(1, state);
    add_mask(state, sets.map);
    add_zeros(state, TOVO_MAP_VIEW_VALUES);
  } else {
    tarq_fwrite_int32(0, state);
    uint8_t flags[TOVO_SPRITES] = {};
    if (pitem(0))
      for (int32_t i = 0; i < TOVO_SPRITES; i++) flags[i] = (uint8_t)pitem(0)->gff[i];
    cbuffer_add_data(state, flags, TOVO_SPRITES);
    add_mask(state, sets.gfx);
    add_zeros(state, TOVO_SHEET_VIEW_VALUES);
  }
  tarq_fwrite_int32(value, state);
  state->pos = 0;
  return state;
}
