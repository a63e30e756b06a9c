// A filled rectangle with lit edges.
#include "engine/data/rect_lit.h"

#include "engine/data/gfx.h"

void tarq_rect_lit(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t edge_a, uint32_t fill,
                   uint32_t edge_b) {
  tarq_rectfill(b, x0, y0, x1, y1, fill);
  // Ends are inclusive; an edge that would be empty (x0 >= x1) draws nothing.
  if (x1 > x0) tarq_hline(b, x0 + 1, x1, y0, edge_b);
  if (y1 > y0) tarq_vline(b, x1, y0, y1 - 1, edge_b);
  if (x1 > x0) tarq_hline(b, x0, x1 - 1, y1, edge_a);
  if (y1 > y0) tarq_vline(b, x0, y0 + 1, y1, edge_a);
}
