// Palettes: the video palette, nearest colours and depth conversion.
#include <algorithm>
#include <cstring>

#include "engine/data/gfx.h"

tarq_video_pages tarq_video;

tarq_palette* tarq_swap_video_palette(tarq_palette* p) {
  tarq_palette* old = tarq_video.tarq_video_palette;
  tarq_video.tarq_video_palette = p;
  return old;
}

void tarq_set_palette(const tarq_palette* p) {
  tarq_palette* video = tarq_video.tarq_video_palette;
  if (!p || !video || p == video) return;
  memcpy(video->rgb, p->rgb, sizeof(video->rgb));
}

static int32_t distance(const uint8_t* e, int32_t r, int32_t g, int32_t b) {
  const int64_t dr = static_cast<int64_t>(e[0]) - r, dg = static_cast<int64_t>(e[1]) - g,
                db = static_cast<int64_t>(e[2]) - b;
  return static_cast<int32_t>(std::min<int64_t>(dr * dr + dg * dg + db * db, INT32_MAX));
}

int32_t tarq_find_colour(int32_t r, int32_t g, int32_t b, const tarq_palette* p) {
  int32_t best = 0, best_d = INT32_MAX;
  for (int32_t i = 0; i < 256; i++) {
    const int32_t d = distance(p->rgb[i], r, g, b);
    if (d == 0) return i;
    if (d < best_d) {
      best_d = d;
      best = i;
    }
  }
  return best;
}

// The first entry closer than 27 is taken at once, else the nearest.
static uint8_t match_colour(uint32_t c, const tarq_palette* p) {
  const int32_t r = (c >> 16) & 0xff, g = (c >> 8) & 0xff, b = c & 0xff;
  int32_t best = 0, best_d = INT32_MAX;
  for (int32_t i = 0; i < 256; i++) {
    const int32_t d = distance(p->rgb[i], r, g, b);
    if (d < 27) return static_cast<uint8_t>(i);
    if (d < best_d) {
      best_d = d;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}

void tarq_convert_bitmap(tarq_bitmap* src, tarq_bitmap* dst, const tarq_palette* p) {
  if (!src || !dst || !src->rows || !dst->rows) return;
  if (src->width != dst->width || src->height != dst->height) return;
  if (src->depth == dst->depth) {
    tarq_blit(src, dst, 0, 0, 0, 0, src->width, src->height);
    return;
  }
  if (!p) return;
  if (src->depth == 8 && dst->depth == 32) {
    for (int32_t y = 0; y < src->height; y++) {
      const uint8_t* s = src->rows[y];
      uint32_t* d = tarq_row32(dst, y);
      for (int32_t x = 0; x < src->width; x++) {
        const uint8_t* e = p->rgb[s[x]];
        const uint32_t alpha = s[x] ? 0xFF000000u : 0;
        d[x] = alpha | static_cast<uint32_t>(e[0]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[2];
      }
    }
  } else if (src->depth == 32 && dst->depth == 8) {
    for (int32_t y = dst->clip_y0; y < dst->clip_y1; y++)
      for (int32_t x = dst->clip_x0; x < dst->clip_x1; x++) dst->rows[y][x] = match_colour(tarq_getpixel(src, x, y), p);
  }
}
