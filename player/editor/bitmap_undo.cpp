#include "player/editor/bitmap_undo.h"

#include <cstring>
#include <utility>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"
#include "sound/mixer/audio_lock.h"

namespace {

constexpr int32_t PATCH_HEADER = 12;

// Which body bytes of a state a patch marks as changed: unchanged prefix and
// suffix bytes are not marked, middle bytes by their mask bit.
struct patch_marks {
  const tarq_file* patch = nullptr;
  uint32_t length = 0, prefix = 0, suffix = 0;

  bool read(const tarq_file* p) {
    if (!p || p->size < PATCH_HEADER + 4) return false;
    memcpy(&length, p->data, 4);
    memcpy(&prefix, p->data + 4, 4);
    memcpy(&suffix, p->data + 8, 4);
    uint64_t middle = length > (uint64_t)prefix + suffix ? length - prefix - suffix : 0;
    if (PATCH_HEADER + (middle + 7) / 8 > (uint64_t)p->size) return false;
    patch = p;
    return true;
  }
  bool marked(uint32_t i) const {
    if (!patch) return true;
    if (i < prefix || i >= length || (uint64_t)i + suffix >= length) return false;
    uint32_t k = i - prefix;
    return (patch->data[PATCH_HEADER + k / 8] >> (k & 7)) & 1;
  }
};

void restore_bytes(uint8_t* to, const uint8_t* from, uint32_t at, uint32_t count, const patch_marks& marks) {
  for (uint32_t i = 0; i < count; i++)
    if (marks.marked(at + i)) to[i] = from[at + i];
}

}  // namespace

void restore_bmp(tarq_bitmap* bitmap, dbmp* set) {
  if (!bitmap || !set) return;
  int32_t w = bitmap->width < set->backup->width ? bitmap->width : set->backup->width;
  int32_t h = bitmap->height < set->backup->height ? bitmap->height : set->backup->height;
  for (int32_t y = 0; y < h; y++)
    for (int32_t x = 0; x < w; x++) std::swap(bitmap->rows[y][x], set->backup->rows[y][x]);
  if (set == selection_sets().gfx && pitem(0))
    for (int32_t i = 0; i < TOVO_SPRITES; i++) std::swap(pitem(0)->gff[i], set->gff_backup[i]);
  tarq_clear_bitmap(set->mask);
}

int selection_active(const tarq_bitmap* mask) {
  if (!mask) return 0;
  for (int32_t i = 0; i < mask->width * mask->height; i++)
    if (mask->pixels[i]) return 1;
  return 0;
}

int get_selected_area(const dbmp* set, int32_t* out) {
  const tarq_bitmap* mask = set ? set->mask : nullptr;
  int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = -1, y1 = -1;
  if (mask)
    for (int32_t y = 0; y < mask->height; y++)
      for (int32_t x = 0; x < mask->width; x++)
        if (mask->rows[y][x]) {
          x0 = x < x0 ? x : x0;
          y0 = y < y0 ? y : y0;
          x1 = x > x1 ? x : x1;
          y1 = y > y1 ? y : y1;
        }
  if (x1 >= 0) {
    out[0] = x0, out[1] = y0, out[2] = x1, out[3] = y1;
    return 1;
  }
  out[0] = out[1] = 0;
  out[2] = mask ? mask->width - 1 : 0;
  out[3] = mask ? mask->height - 1 : 0;
  return 0;
}

int restore_undo_bmp_state(tarq_file* state, tarq_bitmap* bitmap, tarq_file* patch) {
  if (!state || !bitmap) return 0;
  patch_marks marks;
  if (patch && !marks.read(patch)) return 0;
  const uint32_t pixels = (uint32_t)(bitmap->width * bitmap->height);
  const bool map = bitmap->height == TOVO_UNDO_MAP_HEIGHT;
  const dbmp* set = map ? selection_sets().map : selection_sets().gfx;
  const uint32_t mask_bytes = set ? (uint32_t)(set->mask->width * set->mask->height) : 0;
  const uint32_t extra = map ? 4 + mask_bytes : 4 + TOVO_SPRITES + mask_bytes;
  if ((uint64_t)state->size < (uint64_t)pixels + extra) return 0;
  const uint8_t* data = state->data;
  restore_bytes(bitmap->pixels, data, 0, pixels, marks);
  uint32_t at = pixels + 4;
  if (!map) {
    uint8_t flags[TOVO_SPRITES];
    tovo_cart* cart = pitem(0);
    for (int32_t i = 0; i < TOVO_SPRITES; i++) flags[i] = cart ? (uint8_t)cart->gff[i] : 0;
    restore_bytes(flags, data, at, TOVO_SPRITES, marks);
    if (cart)
      for (int32_t i = 0; i < TOVO_SPRITES; i++) cart->gff[i] = flags[i];
    at += TOVO_SPRITES;
  }
  if (set) restore_bytes(set->mask->pixels, data, at, mask_bytes, marks);
  return 1;
}

tarq_file* create_undo_sfx64_state(const tovo_cart* cart) {
  if (!cart) return nullptr;
  tarq_file* state =
      tarq_create_buffer((int32_t)(sizeof cart->sfx + sizeof cart->music + sizeof cart->music_flags) + 64);
  if (!state) return nullptr;
  cbuffer_add_data(state, cart->sfx, sizeof cart->sfx);
  cbuffer_add_data(state, cart->music, sizeof cart->music);
  cbuffer_add_data(state, cart->music_flags, sizeof cart->music_flags);
  for (int32_t i = 0; i < TOVO_SOUND_VIEW_VALUES; i++) tarq_fwrite_int32(0, state);
  state->pos = 0;
  return state;
}

int restore_undo_sfx64_state(tarq_file* state, tovo_cart* cart) {
  const size_t need = sizeof cart->sfx + sizeof cart->music + sizeof cart->music_flags;
  if (!state || !cart || (size_t)state->size < need) return 0;
  // The mixer may be playing from this cart.
  tarq_audio_guard lock;
  const uint8_t* data = state->data;
  memcpy(cart->sfx, data, sizeof cart->sfx);
  memcpy(cart->music, data + sizeof cart->sfx, sizeof cart->music);
  memcpy(cart->music_flags, data + sizeof cart->sfx + sizeof cart->music, sizeof cart->music_flags);
  return 1;
}
