// Single points on a bitmap (a pixel written when the bitmap may be null, and
// where a point lies against the clip rectangle), a filled rectangle with lit
// edges, and one saved clip rectangle.
#include "engine/data/bitmap_tools.h"

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

// A filled rectangle with lit edges.
void tarq_rect_lit(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t edge_a, uint32_t fill,
                   uint32_t edge_b) {
  tarq_rectfill(b, x0, y0, x1, y1, fill);
  // Ends are inclusive; an edge that would be empty (x0 >= x1) draws nothing.
  if (x1 > x0) tarq_hline(b, x0 + 1, x1, y0, edge_b);
  if (y1 > y0) tarq_vline(b, x1, y0, y1 - 1, edge_b);
  if (x1 > x0) tarq_hline(b, x0, x1 - 1, y1, edge_a);
  if (y1 > y0) tarq_vline(b, x0, y0 + 1, y1, edge_a);
}

// One saved clip rectangle.
namespace {

// The single saved clip rectangle.
struct tarq_clip_rect {
  int32_t x0, x1, y0, y1;
};

tarq_clip_rect tarq_clipdat;

}  // namespace

void tarq_save_clip(const tarq_bitmap* b) { tarq_clipdat = {b->clip_x0, b->clip_x1, b->clip_y0, b->clip_y1}; }

// The slot may come from a larger bitmap: the rectangle is kept inside this one.
void tarq_restore_clip(tarq_bitmap* b) {
  tarq_set_clip(b, tarq_clipdat.x0, tarq_clipdat.y0, tarq_clipdat.x1, tarq_clipdat.y1);
}
