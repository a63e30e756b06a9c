// Spans and rectangles, clipped against the bitmap's clip rectangle.
#include <algorithm>
#include <cstring>

#include "engine/data/gfx.h"

static bool drawable(const tarq_bitmap* b) {
  return b && b != tarq_video.tarq_screen && b->rows && (b->depth == 8 || b->depth == 32);
}

// Fills columns x0..x1 (inclusive, already inside the clip) of row y.
static void fill_row(tarq_bitmap* b, int32_t x0, int32_t x1, int32_t y, uint32_t colour) {
  if (b->depth == 8) {
    memset(b->rows[y] + x0, static_cast<int>(colour & 0xff), static_cast<size_t>(x1 - x0 + 1));
  } else {
    uint32_t* row = tarq_row32(b, y);
    std::fill(row + x0, row + x1 + 1, colour);
  }
}

void tarq_hline(tarq_bitmap* b, int32_t x0, int32_t x1, int32_t y, uint32_t colour) {
  if (!drawable(b) || y < b->clip_y0 || y >= b->clip_y1) return;
  if (x0 > x1) std::swap(x0, x1);
  x0 = std::max(x0, b->clip_x0);
  x1 = std::min(x1, b->clip_x1 - 1);
  if (x0 > x1) return;
  fill_row(b, x0, x1, y, colour);
}

void tarq_vline(tarq_bitmap* b, int32_t x, int32_t y0, int32_t y1, uint32_t colour) {
  if (!drawable(b) || x < b->clip_x0 || x >= b->clip_x1) return;
  if (y0 > y1) std::swap(y0, y1);
  y0 = std::max(y0, b->clip_y0);
  y1 = std::min(y1, b->clip_y1 - 1);
  if (b->depth == 8) {
    for (int32_t y = y0; y <= y1; y++) b->rows[y][x] = static_cast<uint8_t>(colour);
  } else {
    for (int32_t y = y0; y <= y1; y++) tarq_row32(b, y)[x] = colour;
  }
}

void tarq_rect(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  tarq_hline(b, x0, x1, y0, colour);
  tarq_hline(b, x0, x1, y1, colour);
  tarq_vline(b, x0, y0, y1, colour);
  tarq_vline(b, x1, y0, y1, colour);
}

void tarq_rectfill(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  if (!drawable(b)) return;
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  x0 = std::max(x0, b->clip_x0);
  x1 = std::min(x1, b->clip_x1 - 1);
  y0 = std::max(y0, b->clip_y0);
  y1 = std::min(y1, b->clip_y1 - 1);
  if (x0 > x1) return;
  for (int32_t y = y0; y <= y1; y++) fill_row(b, x0, x1, y, colour);
}
