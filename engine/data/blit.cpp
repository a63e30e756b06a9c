// Blit clipping, the plain rectangle copy and the sprite draws.
#include <algorithm>
#include <cstring>

#include "engine/data/gfx.h"

static int32_t saturate(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

void tarq_clip(const tarq_bitmap* src, const tarq_bitmap* dst, int32_t& sx, int32_t& sy, int32_t& dx, int32_t& dy,
               int32_t& w, int32_t& h) {
  if (sx >= src->width || sy >= src->height || dx >= dst->clip_x1 || dy >= dst->clip_y1) {
    h = 0;
    return;
  }
  int64_t x = sx, y = sy, u = dx, v = dy, ww = w, hh = h;
  if (x < 0) {
    ww += x;
    u -= x;
    x = 0;
  }
  if (y < 0) {
    hh += y;
    v -= y;
    y = 0;
  }
  ww = std::min<int64_t>(ww, src->width - x);
  hh = std::min<int64_t>(hh, src->height - y);
  if (u < dst->clip_x0) {
    const int64_t k = dst->clip_x0 - u;
    ww -= k;
    x += k;
    u = dst->clip_x0;
  }
  if (v < dst->clip_y0) {
    const int64_t k = dst->clip_y0 - v;
    hh -= k;
    y += k;
    v = dst->clip_y0;
  }
  ww = std::min<int64_t>(ww, dst->clip_x1 - u);
  hh = std::min<int64_t>(hh, dst->clip_y1 - v);
  sx = saturate(x);
  sy = saturate(y);
  dx = saturate(u);
  dy = saturate(v);
  w = saturate(ww);
  h = saturate(hh);
}

void tarq_blit(tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t w,
               int32_t h) {
  // The screen record has no pixels: nothing is copied from or onto it.
  if (!src || !dst || !src->rows || !dst->rows || dst->depth < src->depth) return;
  tarq_clip(src, dst, sx, sy, dx, dy, w, h);
  if (w < 1 || h < 1) return;
  if (src->depth == dst->depth) {
    const size_t bpp = static_cast<size_t>(src->depth / 8);
    // Rows are walked away from the overlap when a bitmap copies onto itself.
    const bool upward = src == dst && dy > sy;
    for (int32_t i = 0; i < h; i++) {
      const int32_t r = upward ? h - 1 - i : i;
      memmove(dst->rows[dy + r] + static_cast<size_t>(dx) * bpp, src->rows[sy + r] + static_cast<size_t>(sx) * bpp,
              static_cast<size_t>(w) * bpp);
    }
  } else if (src->depth == 8 && dst->depth == 32 && tarq_video.tarq_video_palette) {
    const uint8_t(*pal)[3] = tarq_video.tarq_video_palette->rgb;
    for (int32_t r = 0; r < h; r++) {
      const uint8_t* s = src->rows[sy + r] + sx;
      uint32_t* d = tarq_row32(dst, dy + r) + dx;
      for (int32_t c = 0; c < w; c++) {
        const uint8_t* e = pal[s[c]];
        d[c] = 0xFF000000u | static_cast<uint32_t>(e[0]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[2];
      }
    }
  }
}

uint32_t tarq_blend32(uint32_t dst, uint32_t src, uint32_t alpha) {
  if (alpha == 0) return dst & 0xFFFFFF;
  if (alpha >= 255) return src & 0xFFFFFF;
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t s = (src >> shift) & 0xff, d = (dst >> shift) & 0xff;
    out |= ((alpha * s + (255 - alpha) * d) / 255) << shift;
  }
  return out;
}

void tarq_draw_sprite8(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                       int32_t w, int32_t h) {
  for (int32_t r = 0; r < h; r++) {
    const uint8_t* s = src->rows[sy + r] + sx;
    uint8_t* d = dst->rows[dy + r] + dx;
    for (int32_t c = 0; c < w; c++)
      if (s[c]) d[c] = s[c];
  }
}

void tarq_draw_sprite32(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                        int32_t w, int32_t h) {
  for (int32_t r = 0; r < h; r++) {
    const uint32_t* s = tarq_row32(src, sy + r) + sx;
    uint32_t* d = tarq_row32(dst, dy + r) + dx;
    for (int32_t c = 0; c < w; c++) {
      const uint32_t a = s[c] >> 24;
      if (a == 0) continue;
      d[c] = (d[c] & 0xFF000000u) | tarq_blend32(d[c], s[c], a);
    }
  }
}

static bool pixels_of(const tarq_bitmap* b, int32_t depth) { return b && b->rows && b->depth == depth; }

void tarq_draw_sprite(tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t w,
                      int32_t h) {
  if (!src || !dst || !src->rows || !dst->rows || src->depth != dst->depth) return;
  tarq_clip(src, dst, sx, sy, dx, dy, w, h);
  if (w < 1 || h < 1) return;
  if (src->depth == 8) tarq_draw_sprite8(src, dst, sx, sy, dx, dy, w, h);
  else if (src->depth == 32) tarq_draw_sprite32(src, dst, sx, sy, dx, dy, w, h);
}

// A source pixel is set when it is non-zero at the source's own depth.
static bool source_set(const tarq_bitmap* src, int32_t x, int32_t y) {
  return src->depth == 32 ? tarq_row32(src, y)[x] != 0 : src->rows[y][x] != 0;
}

void tarq_draw_sprite_col(const tarq_bitmap* src, tarq_bitmap* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                          int32_t w, int32_t h, uint32_t colour, int32_t flags) {
  if (!(pixels_of(src, 8) || pixels_of(src, 32))) return;
  if (!(pixels_of(dst, 8) || pixels_of(dst, 32))) return;
  tarq_clip(src, dst, sx, sy, dx, dy, w, h);
  if (w < 1 || h < 1) return;
  const bool mirror = flags & 1;
  if (mirror) {
    sx = src->width - sx - w;
    tarq_clip(src, dst, sx, sy, dx, dy, w, h);
    if (w < 1 || h < 1) return;
  }
  for (int32_t r = 0; r < h; r++) {
    for (int32_t i = 0; i < w; i++) {
      if (!source_set(src, sx + i, sy + r)) continue;
      const int32_t x = mirror ? dx + w - 1 - i : dx + i;
      if (dst->depth == 8) dst->rows[dy + r][x] = static_cast<uint8_t>(colour);
      else tarq_row32(dst, dy + r)[x] = colour;
    }
  }
}
