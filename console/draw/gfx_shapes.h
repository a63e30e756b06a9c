#pragma once
// Shapes over the pixel pipeline: spans, lines, rectangles and the ellipse
// steppers. Coordinates are target coordinates; colour is a resolved colour
// byte; the fill pattern and masks come from pstate(). Each routine returns the
// number of pixels (or steps) it covered inside the clip rectangle, which the
// bindings turn into their CPU charge.
#include <cstdint>

#include "engine/data/gfx.h"

int32_t draw_hline(tarq_bitmap* t, int32_t x0, int32_t x1, int32_t y, uint32_t colour);
int32_t draw_vline(tarq_bitmap* t, int32_t x, int32_t y0, int32_t y1, uint32_t colour);
// Rows min y..max y, each a span over min x..max x, clipped.
int32_t draw_rectfill(tarq_bitmap* t, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
// rectfill as the binding draws it: the clipped box in rows when it is wider
// than 8 or at most 5 high, else in columns; 0 when nothing is inside.
int32_t tovo_rectfill_box(tarq_bitmap* t, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
// rect: top and bottom edges, then the sides between them.
int32_t tovo_rect_box(tarq_bitmap* t, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);

// The 16.16 line stepper: point k of n = max(|dx|, |dy|) steps lies at
// (x0 * 65536 + 0x8000 + k * sx) >> 16 and likewise for y, sx and sy the
// 64-bit truncated quotients (dx << 16) / n. tovo_line_run finds the run of
// consecutive k (0..n) whose points lie inside the clip rectangle of t, by
// division; false when there is none.
struct tovo_line_steps {
  int64_t x0, y0;  // start pixel
  int64_t sx, sy;  // 16.16 steps
  int64_t n;       // last step
};
tovo_line_steps tovo_line_setup(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
bool tovo_line_run(const tarq_bitmap* t, const tovo_line_steps& s, int64_t* first, int64_t* last);
inline int32_t tovo_line_x(const tovo_line_steps& s, int64_t k) {
  return static_cast<int32_t>((s.x0 * 65536 + 0x8000 + k * s.sx) >> 16);
}
inline int32_t tovo_line_y(const tovo_line_steps& s, int64_t k) {
  return static_cast<int32_t>((s.y0 * 65536 + 0x8000 + k * s.sy) >> 16);
}
int32_t draw_line(tarq_bitmap* t, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);

// Ellipses inscribed in a box (corners in any order). Boxes 1 or 2 pixels
// across are filled; a clip rectangle wholly inside the curve draws nothing
// (outline) or is filled whole (fill); boxes wholly outside draw nothing.
int32_t draw_oval(tarq_bitmap* t, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
int32_t draw_filloval(tarq_bitmap* t, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
// The integer ellipse steppers around (cx, cy) with radii rx, ry, the right
// and lower halves moved out by ex and ey (0 or 1). The 32-bit fill serves
// boxes whose sides are both below 128.
int32_t draw_ellipse_1(tarq_bitmap* t, int32_t cx, int32_t cy, int32_t rx, int32_t ry, int32_t ex, int32_t ey,
                       uint32_t colour);
int32_t fill_ellipse_1(tarq_bitmap* t, int32_t cx, int32_t cy, int32_t rx, int32_t ry, int32_t ex, int32_t ey,
                       uint32_t colour);
int32_t fill_ellipse_1_32bit(tarq_bitmap* t, int32_t cx, int32_t cy, int32_t rx, int32_t ry, int32_t ex, int32_t ey,
                             uint32_t colour);

// Recolours the rectangle x0..x1, y0..y1 (inclusive; the part inside the
// bitmap, whatever its clip) to 0 and 1 for the shell's dimmed backgrounds:
// mode 1 picks a brightness threshold from the pixels, other modes split
// colours 0-5 from 6-15.
void draw_tinted_rect_adaptive(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t mode);
