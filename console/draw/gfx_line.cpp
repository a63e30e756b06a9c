// Spans, rectangles and the clipped 16.16 line stepper.
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "console/draw/gfx_pixel.h"
#include "console/draw/gfx_shapes.h"
#include "console/machine/machine_record.h"

namespace {

uint32_t pattern() { return static_cast<uint32_t>(pstate().fill_pattern); }

int64_t floor_div(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) q--;
  return q;
}
int64_t ceil_div(int64_t a, int64_t b) { return -floor_div(-a, b); }

// The steps k with lo <= (base + k * step) >> 16 < hi, as [*k0, *k1]
// (possibly empty); base is the 16.16 position of step 0.
void axis_run(int64_t base, int64_t step, int32_t lo, int32_t hi, int64_t* k0, int64_t* k1) {
  const int64_t a = int64_t(lo) * 65536 - base;      // k * step >= a
  const int64_t b = int64_t(hi) * 65536 - 1 - base;  // k * step <= b
  if (step > 0) {
    *k0 = ceil_div(a, step);
    *k1 = floor_div(b, step);
  } else if (step < 0) {
    *k0 = ceil_div(b, step);
    *k1 = floor_div(a, step);
  } else if (a <= 0 && 0 <= b) {
    *k0 = INT64_MIN;
    *k1 = INT64_MAX;
  } else {
    *k0 = 1;
    *k1 = 0;
  }
}

}  // namespace

int32_t draw_hline(tarq_bitmap* t, int32_t x0, int32_t x1, int32_t y, uint32_t colour) {
  if (y < t->clip_y0 || y >= t->clip_y1) return 0;
  const int32_t lo = std::max(std::min(x0, x1), t->clip_x0);
  const int32_t hi = std::min(std::max(x0, x1), t->clip_x1 - 1);
  if (lo > hi) return 0;
  // A row whose pattern bits are all equal is one colour (or left alone):
  // no per-pixel colour table to set up, which counts for the short rows
  // of small circles.
  const uint32_t p = pattern();
  const uint32_t bits = p >> ((3 - (y & 3)) * 4) & 15;
  if (bits == 0) {
    tovo_span_solid(t, lo, hi, y, colour & 15);
  } else if (bits == 15) {
    if (!(p & TOVO_PATTERN_TRANSPARENT)) tovo_span_solid(t, lo, hi, y, colour >> 4 & 15);
  } else {
    uint32_t colours[4];
    tovo_row_colours(colour, p, y, colours);
    tovo_span(t, lo, hi, y, colours);
  }
  return hi - lo + 1;
}

int32_t draw_vline(tarq_bitmap* t, int32_t x, int32_t y0, int32_t y1, uint32_t colour) {
  if (x < t->clip_x0 || x >= t->clip_x1) return 0;
  const int32_t lo = std::max(std::min(y0, y1), t->clip_y0);
  const int32_t hi = std::min(std::max(y0, y1), t->clip_y1 - 1);
  if (lo > hi) return 0;
  uint32_t colours[4];
  tovo_column_colours(colour, pattern(), x, colours);
  tovo_column(t, x, lo, hi, colours);
  return hi - lo + 1;
}

int32_t draw_rectfill(tarq_bitmap* t, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  const int32_t top = std::max(std::min(y0, y1), t->clip_y0);
  const int32_t bottom = std::min(std::max(y0, y1), t->clip_y1 - 1);
  int32_t count = 0;
  for (int32_t y = top; y <= bottom; y++) count += draw_hline(t, x0, x1, y, colour);
  return count;
}

int32_t tovo_rectfill_box(tarq_bitmap* t, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  const int32_t left = std::max(std::min(x0, x1), t->clip_x0);
  const int32_t right = std::min(std::max(x0, x1), t->clip_x1 - 1);
  const int32_t top = std::max(std::min(y0, y1), t->clip_y0);
  const int32_t bottom = std::min(std::max(y0, y1), t->clip_y1 - 1);
  if (left > right || top > bottom) return 0;
  int32_t count = 0;
  if (right - left > 7 || bottom - top <= 4) {
    for (int32_t y = top; y <= bottom; y++) count += draw_hline(t, left, right, y, colour);
  } else {
    for (int32_t x = left; x <= right; x++) count += draw_vline(t, x, top, bottom, colour);
  }
  return count;
}

int32_t tovo_rect_box(tarq_bitmap* t, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  int32_t count = draw_hline(t, x0, x1, y0, colour);
  if (y1 == y0) return count;
  count += draw_hline(t, x0, x1, y1, colour);
  const int32_t top = std::min(y0, y1) + 1, bottom = std::max(y0, y1) - 1;
  if (top > bottom) return count;
  count += draw_vline(t, x0, top, bottom, colour);
  if (x1 != x0) count += draw_vline(t, x1, top, bottom, colour);
  return count;
}

tovo_line_steps tovo_line_setup(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  tovo_line_steps s{x0, y0, 0, 0, 0};
  const int64_t dx = int64_t(x1) - x0, dy = int64_t(y1) - y0;
  s.n = std::max(std::llabs(dx), std::llabs(dy));
  if (s.n != 0) {
    s.sx = dx * 65536 / s.n;
    s.sy = dy * 65536 / s.n;
  }
  return s;
}

bool tovo_line_run(const tarq_bitmap* t, const tovo_line_steps& s, int64_t* first, int64_t* last) {
  int64_t xk0, xk1, yk0, yk1;
  axis_run(s.x0 * 65536 + 0x8000, s.sx, t->clip_x0, t->clip_x1, &xk0, &xk1);
  axis_run(s.y0 * 65536 + 0x8000, s.sy, t->clip_y0, t->clip_y1, &yk0, &yk1);
  *first = std::max({int64_t(0), xk0, yk0});
  *last = std::min({s.n, xk1, yk1});
  return *first <= *last;
}

int32_t draw_line(tarq_bitmap* t, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  if (y1 < y0) {
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  if (y1 < t->clip_y0 || y0 >= t->clip_y1) return 0;
  if ((x0 < t->clip_x0 && x1 < t->clip_x0) || (x0 >= t->clip_x1 && x1 >= t->clip_x1)) return 0;
  const tovo_line_steps s = tovo_line_setup(x0, y0, x1, y1);
  int64_t first, last;
  if (!tovo_line_run(t, s, &first, &last)) return 0;
  // The run lies inside the clip rectangle: no pixel needs its own test.
  const tovo_pen pen = tovo_make_pen(t, colour, pattern());
  int64_t x = s.x0 * 65536 + 0x8000 + first * s.sx, y = s.y0 * 65536 + 0x8000 + first * s.sy;
  for (int64_t k = first; k <= last; k++, x += s.sx, y += s.sy) {
    tovo_pen_pixel(pen, static_cast<int32_t>(x >> 16), static_cast<int32_t>(y >> 16));
  }
  return static_cast<int32_t>(last - first + 1);
}
