// Sprite blitters: palette copy, sprite draws and the stretch blit.
#include "console/draw/sprite_blit.h"

#include <algorithm>

#include "console/draw/gfx_pixel.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"

namespace {

// Writes sprite colour v (0-15) at (x, y), already inside the clip rectangle.
inline void write_sprite_pixel(tarq_bitmap* dest, int32_t x, int32_t y, uint32_t v, uint32_t pattern) {
  uint8_t* p = dest->rows[y] + x;
  if (!(pattern & TOVO_PATTERN_SPRITES)) {
    tovo_write_masked(p, v);
    return;
  }
  const uint32_t bit = tovo_pattern_bit(pattern, x, y);
  if (bit && (pattern & TOVO_PATTERN_TRANSPARENT)) return;
  const uint32_t pair = static_cast<uint32_t>(pstate().secondary_pal[v & 15]);
  tovo_write_masked(p, pair >> (bit * 4));
}

bool usable(const tarq_bitmap* b) { return b && b->rows && b->depth == 8; }

// True when sprite pixels are plain stores: no sprite pattern, full masks.
bool plain_sprites(uint32_t pattern) {
  return !(pattern & TOVO_PATTERN_SPRITES) && (pstate().write_mask & 15) == 15 && (pstate().read_mask & 15) == 15;
}

}  // namespace

void tovo_blit(const tarq_bitmap* source, tarq_bitmap* dest, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t w,
               int32_t h, bool flip_x, bool flip_y, const int32_t* palette) {
  if (!usable(source) || !usable(dest)) return;
  tarq_clip(source, dest, sx, sy, dx, dy, w, h);
  if (w < 1 || h < 1) return;
  for (int32_t j = 0; j < h; j++) {
    const uint8_t* from = source->rows[sy + j] + sx;
    uint8_t* to = dest->rows[dy + (flip_y ? h - 1 - j : j)] + dx;
    for (int32_t i = 0; i < w; i++) {
      to[flip_x ? w - 1 - i : i] = static_cast<uint8_t>(palette[from[i] & 15]);
    }
  }
}

void tovo_draw_sprite(const tarq_bitmap* source, tarq_bitmap* dest, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                      int32_t w, int32_t h) {
  if (!usable(source) || !usable(dest)) return;
  tarq_clip(source, dest, sx, sy, dx, dy, w, h);
  const uint32_t pattern = static_cast<uint32_t>(pstate().fill_pattern);
  const bool plain = plain_sprites(pattern);
  for (int32_t j = 0; j < h; j++) {
    const uint8_t* from = source->rows[sy + j] + sx;
    uint8_t* to = dest->rows[dy + j] + dx;
    for (int32_t i = 0; i < w; i++) {
      if (from[i] >= 16) continue;
      if (plain) {
        to[i] = from[i];
      } else {
        write_sprite_pixel(dest, dx + i, dy + j, from[i], pattern);
      }
    }
  }
}

void tovo_draw_sprite_pal(const tarq_bitmap* source, tarq_bitmap* dest, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                          int32_t w, int32_t h, const int32_t* palette) {
  if (!usable(source) || !usable(dest)) return;
  tarq_clip(source, dest, sx, sy, dx, dy, w, h);
  const uint32_t pattern = static_cast<uint32_t>(pstate().fill_pattern);
  const bool plain = plain_sprites(pattern);
  for (int32_t j = 0; j < h; j++) {
    const uint8_t* from = source->rows[sy + j] + sx;
    uint8_t* to = dest->rows[dy + j] + dx;
    for (int32_t i = 0; i < w; i++) {
      const uint32_t v = static_cast<uint32_t>(palette[from[i] & 15]);
      if (v & 0xf0) continue;
      if (plain) {
        to[i] = static_cast<uint8_t>(v);
      } else {
        write_sprite_pixel(dest, dx + i, dy + j, v, pattern);
      }
    }
  }
}

void tovo_stretch_blit(const tarq_bitmap* source, tarq_bitmap* dest, int32_t dx, int32_t dy, int32_t dw, int32_t dh) {
  if (!usable(source) || !usable(dest) || dw <= 0 || dh <= 0) return;
  if (dw == source->width && dh == source->height) {
    tovo_draw_sprite(source, dest, 0, 0, dx, dy, dw, dh);
    return;
  }
  const int64_t step_x = int64_t(source->width) * 65536 / dw;
  const int64_t step_y = int64_t(source->height) * 65536 / dh;
  const int64_t left = std::max<int64_t>(dx, dest->clip_x0), right = std::min<int64_t>(int64_t(dx) + dw, dest->clip_x1);
  const int64_t top = std::max<int64_t>(dy, dest->clip_y0), bottom = std::min<int64_t>(int64_t(dy) + dh, dest->clip_y1);
  if (left >= right || top >= bottom) return;
  const int64_t u0 = step_x / 2 + (left - dx) * step_x;
  const uint32_t pattern = static_cast<uint32_t>(pstate().fill_pattern);
  int64_t v = step_y / 2 + (top - dy) * step_y;
  for (int64_t y = top; y < bottom; y++, v += step_y) {
    const uint8_t* from = source->rows[std::min<int64_t>(v >> 16, source->height - 1)];
    int64_t u = u0;
    for (int64_t x = left; x < right; x++, u += step_x) {
      const uint8_t p = from[std::min<int64_t>(u >> 16, source->width - 1)];
      if (p < 16) write_sprite_pixel(dest, static_cast<int32_t>(x), static_cast<int32_t>(y), p, pattern);
    }
  }
}

int32_t tovo_clipped_area(const tarq_bitmap* t, int32_t x, int32_t y, int32_t w, int32_t h) {
  const int64_t left = std::max<int64_t>(x, t->clip_x0), right = std::min<int64_t>(int64_t(x) + w, t->clip_x1);
  const int64_t top = std::max<int64_t>(y, t->clip_y0), bottom = std::min<int64_t>(int64_t(y) + h, t->clip_y1);
  if (left >= right || top >= bottom) return 0;
  return static_cast<int32_t>((right - left) * (bottom - top));
}
