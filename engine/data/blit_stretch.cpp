// The scaled blit: the whole source sampled into a destination rectangle with
// 16.16 steps that start half a step in.
#include <algorithm>

#include "engine/data/gfx.h"

void tarq_stretch_blit(tarq_bitmap* src, tarq_bitmap* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t flags) {
  if (!src || !dst || w == 0 || h == 0) return;
  if (w == src->width && h == src->height) {
    if (flags & 1) tarq_draw_sprite(src, dst, 0, 0, x, y, w, h);
    else tarq_blit(src, dst, 0, 0, x, y, w, h);
    return;
  }
  if (src->depth != dst->depth || !src->rows || !dst->rows) return;
  if (src->depth != 8 && src->depth != 32) return;
  if (w < 0 || h < 0) return;

  const int64_t xstep = static_cast<int64_t>(src->width) * 65536 / w;
  const int64_t ystep = static_cast<int64_t>(src->height) * 65536 / h;
  int64_t sx = xstep / 2, sy = ystep / 2;
  int64_t X = x, Y = y, W = w, H = h;
  if (Y < dst->clip_y0) {
    sy += ystep * (dst->clip_y0 - Y);
    H -= dst->clip_y0 - Y;
    Y = dst->clip_y0;
  }
  if (X < dst->clip_x0) {
    sx += xstep * (dst->clip_x0 - X);
    W -= dst->clip_x0 - X;
    X = dst->clip_x0;
  }
  W = std::min<int64_t>(W, dst->clip_x1 - X);
  H = std::min<int64_t>(H, dst->clip_y1 - Y);
  if (W <= 0 || H <= 0) return;

  const bool sprite = flags & 1;
  int64_t ypos = sy;
  for (int64_t r = 0; r < H; r++, ypos += ystep) {
    const int32_t srow = static_cast<int32_t>(ypos >> 16);
    const int32_t drow = static_cast<int32_t>(Y + r);
    int64_t xpos = sx;
    if (src->depth == 8) {
      const uint8_t* s = src->rows[srow];
      uint8_t* d = dst->rows[drow] + X;
      for (int64_t c = 0; c < W; c++, xpos += xstep) {
        const uint8_t v = s[xpos >> 16];
        if (!sprite || v) d[c] = v;
      }
    } else {
      const uint32_t* s = tarq_row32(src, srow);
      uint32_t* d = tarq_row32(dst, drow) + X;
      for (int64_t c = 0; c < W; c++, xpos += xstep) {
        const uint32_t v = s[xpos >> 16];
        if (!sprite) d[c] = v;
        else if (v >> 24) d[c] = (d[c] & 0xFF000000u) | tarq_blend32(d[c], v, v >> 24);
      }
    }
  }
}
