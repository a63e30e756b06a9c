// True-colour pictures to console colours and back.
#include <cstdint>

#include "console/draw/sprite_blit.h"
#include "console/draw/sprite_convert.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"

namespace {

int32_t distance(uint32_t argb, const uint8_t* rgb) {
  const int32_t dr = int32_t(argb >> 16 & 0xff) - rgb[0];
  const int32_t dg = int32_t(argb >> 8 & 0xff) - rgb[1];
  const int32_t db = int32_t(argb & 0xff) - rgb[2];
  return dr * dr + dg * dg + db * db;
}

// The first k of count candidates whose palette colour palette[index_of(k)]
// is nearest.
template <typename F>
int nearest(uint32_t argb, const tarq_palette* palette, int count, F index_of) {
  int best = 0;
  int32_t best_distance = INT32_MAX;
  for (int k = 0; k < count; k++) {
    const int32_t d = distance(argb, palette->rgb[index_of(k)]);
    if (d < best_distance) {
      best = k;
      best_distance = d;
    }
  }
  return best;
}

bool same_size(const tarq_bitmap* a, const tarq_bitmap* b) {
  return a && b && a->rows && b->rows && a->width == b->width && a->height == b->height;
}

}  // namespace

void tovo_convert_bitmap_to_screen_pal(tarq_bitmap* source, tarq_bitmap* dest, const tarq_palette* palette) {
  if (!same_size(source, dest)) return;
  if (source->depth == dest->depth) {
    tarq_blit(source, dest, 0, 0, 0, 0, source->width, source->height);
    return;
  }
  if (source->depth != 32 || dest->depth != 8) return;
  for (int32_t y = 0; y < source->height; y++) {
    for (int32_t x = 0; x < source->width; x++) {
      const uint32_t argb = tarq_row32(source, y)[x];
      // k is the screen colour; its palette entry is the screen palette's.
      const int k = nearest(argb, palette, 16, [](int i) { return pstate().screen_pal[i] & 0xff; });
      dest->rows[y][x] = static_cast<uint8_t>(k);
    }
  }
}

void tovo_convert_bitmap(tarq_bitmap* source, tarq_bitmap* dest, const tarq_palette* palette) {
  if (!same_size(source, dest)) return;
  if (source->depth == dest->depth) {
    tarq_blit(source, dest, 0, 0, 0, 0, source->width, source->height);
  } else if (source->depth == 8 && dest->depth == 32) {
    for (int32_t y = 0; y < source->height; y++) {
      for (int32_t x = 0; x < source->width; x++) {
        const uint8_t c = source->rows[y][x];
        const uint8_t* rgb = palette->rgb[c];
        const uint32_t alpha = c == 0 ? 0u : 0xffu;
        tarq_row32(dest, y)[x] = alpha << 24 | uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
      }
    }
  } else if (source->depth == 32 && dest->depth == 8) {
    for (int32_t y = 0; y < source->height; y++) {
      for (int32_t x = 0; x < source->width; x++) {
        const int k = nearest(tarq_row32(source, y)[x], palette, 32, [](int i) { return i < 16 ? i : i + 112; });
        dest->rows[y][x] = static_cast<uint8_t>(k < 16 ? k : k + 112);
      }
    }
  }
}
