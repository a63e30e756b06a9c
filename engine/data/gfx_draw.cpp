// Spans, rectangles and lines, clipped against the bitmap's clip rectangle.
// Lines: end points clipped one at a time against the clip rectangle, then a
// 16.16 stepper that still tests every pixel. Coordinates are widened to 64
// bits so that no input can overflow.
#include <algorithm>
#include <cstdlib>
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

namespace {

struct point {
  int64_t x, y;
};

int64_t floor_div(int64_t a, int64_t b) {  // b > 0
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

int64_t ceil_div(int64_t a, int64_t b) {  // b > 0
  return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

// Narrows [lo_i, hi_i] to the steps i whose value (v0 + i*s) >> 16 lies in [lo, hi).
void narrow(int64_t v0, int64_t s, int64_t lo, int64_t hi, int64_t& lo_i, int64_t& hi_i) {
  const int64_t lo16 = lo * 65536, hi16 = hi * 65536 - 1;
  if (s == 0) {
    if (v0 < lo16 || v0 > hi16) hi_i = -1;
    return;
  }
  int64_t a, b;
  if (s > 0) {
    a = ceil_div(lo16 - v0, s);
    b = floor_div(hi16 - v0, s);
  } else {
    a = ceil_div(v0 - hi16, -s);
    b = floor_div(v0 - lo16, -s);
  }
  // One step of margin either way; every pixel is tested anyway.
  lo_i = std::max(lo_i, a - 1);
  hi_i = std::min(hi_i, b + 1);
}

void plot(tarq_bitmap* b, int64_t x, int64_t y, uint32_t colour) {
  if (x < b->clip_x0 || x >= b->clip_x1 || y < b->clip_y0 || y >= b->clip_y1) return;
  if (b->depth == 8) b->rows[y][x] = static_cast<uint8_t>(colour);
  else tarq_row32(b, static_cast<int32_t>(y))[x] = colour;
}

void step_line(tarq_bitmap* b, point p, point q, uint32_t colour) {
  const int64_t dx = q.x - p.x, dy = q.y - p.y;
  int64_t n = std::max(std::llabs(dx), std::llabs(dy));
  if (n == 0) n = 1;
  const int64_t xs = dx * 65536 / n, ys = dy * 65536 / n;
  const int64_t x = p.x * 65536 + 32768, y = p.y * 65536 + 32768;
  int64_t lo = 0, hi = n;
  narrow(x, xs, b->clip_x0, b->clip_x1, lo, hi);
  narrow(y, ys, b->clip_y0, b->clip_y1, lo, hi);
  for (int64_t i = lo; i <= hi; i++) plot(b, (x + i * xs) >> 16, (y + i * ys) >> 16, colour);
}

enum { LEFT = 1, TOP = 2, RIGHT = 4, BOTTOM = 8 };

struct edges {
  int64_t x0, x1, y0, y1;  // inclusive
};

int outcode(const point& p, const edges& e) {
  int c = 0;
  if (p.x < e.x0) c |= LEFT;
  else if (p.x > e.x1) c |= RIGHT;
  if (p.y < e.y0) c |= TOP;
  else if (p.y > e.y1) c |= BOTTOM;
  return c;
}

// Moves p along the line towards q until its coordinate `along` (x or y)
// reaches the edge, then puts it exactly on the edge.
void clip_end(point& p, const point& q, int64_t edge, bool along_x) {
  const int64_t pv = along_x ? p.x : p.y, qv = along_x ? q.x : q.y;
  int64_t t = (edge - pv) * 65536 / (qv - pv);
  t = std::clamp<int64_t>(t, -65536, 65536);
  p.x = (q.x * t + (65536 - t) * p.x) >> 16;
  p.y = (q.y * t + (65536 - t) * p.y) >> 16;
  if (along_x) p.x = edge;
  else p.y = edge;
}

}  // namespace

void tarq_line_noclip(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  if (!drawable(b)) return;
  step_line(b, {x0, y0}, {x1, y1}, colour);
}

void tarq_line(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  if (x0 == x1) return tarq_vline(b, x0, y0, y1, colour);
  if (y0 == y1) return tarq_hline(b, x0, x1, y0, colour);
  if (!drawable(b) || b->clip_x0 >= b->clip_x1 || b->clip_y0 >= b->clip_y1) return;
  const edges e{b->clip_x0, b->clip_x1 - 1, b->clip_y0, b->clip_y1 - 1};
  point end[2] = {{x0, y0}, {x1, y1}};
  auto span = [&]() {
    if (end[0].x == end[1].x) {
      tarq_vline(b, static_cast<int32_t>(end[0].x), static_cast<int32_t>(end[0].y), static_cast<int32_t>(end[1].y),
                 colour);
      return true;
    }
    if (end[0].y == end[1].y) {
      tarq_hline(b, static_cast<int32_t>(end[0].x), static_cast<int32_t>(end[1].x), static_cast<int32_t>(end[0].y),
                 colour);
      return true;
    }
    return false;
  };
  // Clipping converges in a few passes; the bound only guards the loop.
  for (int pass = 0, cur = 0; pass < 16; pass++, cur ^= 1) {
    const int ca = outcode(end[0], e), cb = outcode(end[1], e);
    if (ca == 0 && cb == 0) break;
    if (ca & cb) return;
    point& p = end[cur];
    const point& q = end[cur ^ 1];
    const int code = cur == 0 ? ca : cb;
    if (!code) continue;
    if (code & LEFT) clip_end(p, q, e.x0, true);
    else if (code & RIGHT) clip_end(p, q, e.x1, true);
    if (span()) return;
    // The y test uses the code from before the x clip.
    if (code & TOP) clip_end(p, q, e.y0, false);
    else if (code & BOTTOM) clip_end(p, q, e.y1, false);
    if (span()) return;
  }
  step_line(b, end[0], end[1], colour);
}
