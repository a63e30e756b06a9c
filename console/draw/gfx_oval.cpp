// Ovals and circles: the integer ellipse stepper with the right and lower
// halves moved out so that the curve touches all four sides of its box.
#include <algorithm>
#include <utility>

#include "console/draw/gfx_pixel.h"
#include "console/draw/gfx_shapes.h"
#include "console/machine/machine_record.h"

namespace {

uint32_t pattern() { return static_cast<uint32_t>(pstate().fill_pattern); }

struct box {
  int32_t x0, y0, x1, y1;  // sorted, inclusive
};

box sorted(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  return {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

bool thin(const box& b) { return b.x1 - b.x0 <= 1 || b.y1 - b.y0 <= 1; }

// True when the clip rectangle lies wholly inside the curve: inside the
// box at 7/10 of the radii around the centre.
bool clip_inside_curve(const tarq_bitmap* t, const box& b) {
  const int32_t cx = (b.x0 + b.x1) >> 1, cy = (b.y0 + b.y1) >> 1;
  const int32_t ix = ((b.x1 - b.x0) >> 1) * 7 / 10, iy = ((b.y1 - b.y0) >> 1) * 7 / 10;
  return t->clip_x1 - t->clip_x0 < b.x1 - b.x0 && cx - ix < t->clip_x0 && cx + ix >= t->clip_x1 &&
         cy - iy < t->clip_y0 && cy + iy >= t->clip_y1;
}

// The stepper's state, in T arithmetic; b2 * x and a2 * y are kept as sums.
template <typename T>
struct stepper {
  T rx, ry, a2, b2, x, y, t, dxt, dyt, crit1, crit2, crit3, b2x, a2y;

  stepper(int32_t rx_, int32_t ry_) : rx(rx_), ry(ry_) {
    a2 = rx * rx;
    b2 = ry * ry;
    x = 0;
    y = ry;
    t = -a2 * ry;
    dxt = 0;
    dyt = -2 * a2 * ry;
    crit1 = -(a2 / 4) - rx % 2 - b2;
    crit3 = -(b2 / 4) - ry % 2;
    crit2 = crit3 - a2;
    b2x = 0;
    a2y = a2 * ry;
  }
  bool running() const { return x <= rx && y >= 0; }
  bool step_x_only() const { return t + b2x <= crit1 || t + a2y <= crit3; }
  bool step_y_only() const { return t - a2y > crit2; }
  void inc_x() {
    x += 1;
    b2x += b2;
    dxt += 2 * b2;
    t += dxt;
  }
  void dec_y() {
    y -= 1;
    a2y -= a2;
    dyt += 2 * a2;
    t += dyt;
  }
};

template <typename T>
int32_t fill_ellipse(tarq_bitmap* t, int32_t cx, int32_t cy, int32_t rx, int32_t ry, int32_t ex, int32_t ey,
                     uint32_t colour) {
  stepper<T> s(rx, ry);
  int32_t count = 0;
  auto span = [&](int32_t row) {
    const int32_t x = static_cast<int32_t>(s.x);
    count += draw_hline(t, cx - x, cx + x + ex, row, colour);
  };
  while (s.running()) {
    count += 8;
    const int32_t y = static_cast<int32_t>(s.y);
    if (s.step_x_only()) {
      s.inc_x();
    } else if (s.step_y_only()) {
      span(cy - y);
      if (y != 0) span(cy + y + ey);
      s.dec_y();
    } else {
      span(cy - y);
      span(cy + y + ey);
      s.inc_x();
      s.dec_y();
    }
  }
  if (ey == 1) count += draw_hline(t, cx - rx, cx + rx + ex, cy + 1, colour);
  return count;
}

}  // namespace

int32_t draw_ellipse_1(tarq_bitmap* t, int32_t cx, int32_t cy, int32_t rx, int32_t ry, int32_t ex, int32_t ey,
                       uint32_t colour) {
  stepper<int64_t> s(rx, ry);
  const tovo_pen pen = tovo_make_pen(t, colour, pattern());
  int32_t count = 0;
  while (s.running()) {
    const int32_t x = static_cast<int32_t>(s.x), y = static_cast<int32_t>(s.y);
    tovo_pen_plot(pen, cx + x + ex, cy + y + ey);
    if (y != 0 || ey == 1) {
      if (x != 0 || ex == 1) {
        tovo_pen_plot(pen, cx - x, cy - y);
        count++;
      }
      tovo_pen_plot(pen, cx + x + ex, cy - y);
      count++;
    }
    if (x != 0 || ex == 1) {
      tovo_pen_plot(pen, cx - x, cy + y + ey);
      count++;
    }
    count += 2;
    if (s.step_x_only()) {
      s.inc_x();
    } else if (s.step_y_only()) {
      s.dec_y();
    } else {
      s.inc_x();
      s.dec_y();
    }
  }
  return count;
}

int32_t fill_ellipse_1(tarq_bitmap* t, int32_t cx, int32_t cy, int32_t rx, int32_t ry, int32_t ex, int32_t ey,
                       uint32_t colour) {
  return fill_ellipse<int64_t>(t, cx, cy, rx, ry, ex, ey, colour);
}

int32_t fill_ellipse_1_32bit(tarq_bitmap* t, int32_t cx, int32_t cy, int32_t rx, int32_t ry, int32_t ex, int32_t ey,
                             uint32_t colour) {
  return fill_ellipse<int32_t>(t, cx, cy, rx, ry, ex, ey, colour);
}

int32_t draw_oval(tarq_bitmap* t, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  const box b = sorted(x0, y0, x1, y1);
  if (thin(b)) return draw_rectfill(t, b.x0, b.y0, b.x1, b.y1, colour);
  if (clip_inside_curve(t, b)) return 0;
  if (b.x0 >= t->clip_x1 || b.x1 < t->clip_x0 || b.y0 >= t->clip_y1 || b.y1 < t->clip_y0) return 0;
  return draw_ellipse_1(t, (b.x0 + b.x1) >> 1, (b.y0 + b.y1) >> 1, (b.x1 - b.x0) >> 1, (b.y1 - b.y0) >> 1,
                        (b.x1 - b.x0) & 1, (b.y1 - b.y0) & 1, colour);
}

int32_t draw_filloval(tarq_bitmap* t, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  const box b = sorted(x0, y0, x1, y1);
  if (thin(b)) return draw_rectfill(t, b.x0, b.y0, b.x1, b.y1, colour);
  if (clip_inside_curve(t, b)) return draw_rectfill(t, t->clip_x0, t->clip_y0, t->clip_x1 - 1, t->clip_y1 - 1, colour);
  if (b.x0 >= t->clip_x1 || b.x1 < t->clip_x0 || b.y0 >= t->clip_y1 || b.y1 < t->clip_y0) return 0;
  const int32_t cx = (b.x0 + b.x1) >> 1, cy = (b.y0 + b.y1) >> 1;
  const int32_t rx = (b.x1 - b.x0) >> 1, ry = (b.y1 - b.y0) >> 1;
  const int32_t ex = (b.x1 - b.x0) & 1, ey = (b.y1 - b.y0) & 1;
  if (b.x1 - b.x0 < 128 && b.y1 - b.y0 < 128) return fill_ellipse_1_32bit(t, cx, cy, rx, ry, ex, ey, colour);
  return fill_ellipse_1(t, cx, cy, rx, ry, ex, ey, colour);
}
