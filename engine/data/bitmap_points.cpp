// Single points on a bitmap: a pixel written when the bitmap may be null, and
// where a point lies against the clip rectangle.
#include "engine/data/bitmap_points.h"

#include "engine/data/gfx.h"

void tarq_put_pixel(tarq_bitmap* b, int32_t x, int32_t y, uint32_t colour) {
  if (b) tarq_putpixel(b, x, y, colour);
}

int32_t code_point(const tarq_bitmap* b, int32_t x, int32_t y) {
  int32_t code = 0;
  if (x < b->clip_x0) code |= 1;
  if (y < b->clip_y0) code |= 2;
  if (x >= b->clip_x1) code |= 4;
  if (y >= b->clip_y1) code |= 8;
  return code;
}
