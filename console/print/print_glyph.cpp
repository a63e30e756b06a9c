// Glyph drawing with styles: wrap and scroll before the glyph, scale and
// step, border space, solid background, the glyph's pixels through the
// bitplane masks, the advance, repeats and the per-character wait.
#include <algorithm>

#include "console/draw/gfx_shapes.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/print.h"
#include "console/print/print_context.h"
#include "console/run/spend_cpu.h"

namespace {

int32_t cut16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v))); }

struct glyph_scale {
  int32_t sx, sy;  // pixels per glyph pixel
  int32_t dx, dy;  // step between drawn box columns and rows
};

glyph_scale scale_of(const tovo_print_context* c) {
  if (c->pinball) return {2, 2, 2, 2};
  const int32_t st = c->stripe ? 2 : 1;
  if (c->wide && c->tall) return {2, 2, st, st};
  if (c->wide) return {2, 1, st, 1};
  if (c->tall) return {1, 2, 1, st};
  return {1, 1, 1, 1};
}

// Wrap and scroll before a glyph of width w and height h.
void make_room(tovo_print_context* c, int32_t w, int32_t h) {
  if (c->wrap && c->right_edge - w < pstate().cursor_x) {
    pstate().cursor_y += c->line_height;
    pstate().cursor_x = c->home_x;
    c->line_height = h;
  }
  if (!c->scroll) return;
  const int32_t tall = (c->tall || c->pinball) ? h * 2 : h;
  const int64_t limit = static_cast<int64_t>(pstate().camera_y) + 128 - tall - c->y_offset;
  if (pstate().cursor_y > limit) {
    const int64_t n = pstate().cursor_y - limit;
    print_scroll_screen(c->target, static_cast<int32_t>(std::min<int64_t>(n, INT32_MAX)));
  }
}

void draw_box(tovo_print_context* c, const uint8_t* glyph, int32_t w, int32_t h, const glyph_scale& s) {
  tarq_bitmap* t = c->target;
  if (!t || !t->rows) return;
  const int32_t left = c->border ? std::max(0, s.sx * (c->char_width + 1 - c->font_width)) : 0;
  const int32_t top = c->border ? s.sy : 0;
  const int32_t bx = cut16(pstate().cursor_x + c->x_offset - pstate().camera_x);
  const int32_t by = cut16(pstate().cursor_y + c->y_offset - pstate().camera_y);
  const int32_t bw = w * s.sx, bh = h * s.sy;
  if (c->solid && bw + left > 0) {
    for (int32_t r = -top; r < bh; r++)
      draw_hline(t, bx - left, bx + bw - 1, by + r, static_cast<uint32_t>(c->background));
  }
  // Scales are 1 or 2, so glyph rows and columns are box positions shifted.
  const int32_t shift_x = s.sx - 1, shift_y = s.sy - 1;
  const int32_t rows = std::min(h, 8);
  const uint32_t columns = w >= 8 ? 0xffu : (1u << std::max(w, 0)) - 1;
  const uint32_t wm = static_cast<uint32_t>(pstate().write_mask) & 15;
  const uint32_t value = wm & static_cast<uint32_t>(pstate().read_mask) & static_cast<uint32_t>(c->foreground);
  const bool invert = c->invert;
  // Locals: writes through the byte rows would make the compiler re-read
  // anything that lives in memory.
  const int32_t cx0 = t->clip_x0, cx1 = t->clip_x1, cy0 = t->clip_y0, cy1 = t->clip_y1, dx = s.dx, dy = s.dy;
  // The commonest glyph: one box column a glyph column, all of them inside
  // the clip rectangle, so that a set bit is one pixel with no test.
  const bool plain = shift_x == 0 && dx == 1 && bx >= cx0 && bx + std::min(w, 8) <= cx1;
  for (int32_t r = -top; r < bh; r += dy) {
    const int32_t y = by + r;
    if (y < cy0 || y >= cy1) continue;
    const int32_t gr = r < 0 ? -1 : r >> shift_y;
    const uint32_t bits = gr >= 0 && gr < rows ? glyph[gr] & columns : 0;
    uint8_t* row = t->rows[y];
    if (!invert && plain) {
      for (uint32_t b = bits; b; b &= b - 1) {
        uint8_t* p = row + bx + __builtin_ctz(b);
        *p = static_cast<uint8_t>((value | (*p & ~wm)) & 15);
      }
      continue;
    }
    if (!invert) {
      // Only the set bits: each covers sx box columns, of which those on
      // the step grid are drawn.
      for (uint32_t b = bits; b; b &= b - 1) {
        const int32_t j = __builtin_ctz(b);
        for (int32_t k = j << shift_x; k < (j + 1) << shift_x; k++) {
          const int32_t x = bx + k;
          if (((k + left) & (dx - 1)) || x < cx0 || x >= cx1) continue;
          row[x] = static_cast<uint8_t>((value | (row[x] & ~wm)) & 15);
        }
      }
      continue;
    }
    // Inverted: every box column on the step grid inside the clip
    // rectangle whose bit is 0 (border columns and columns past 7 too).
    const int32_t lo = std::max(-left, cx0 - bx), hi = std::min(bw, cx1 - bx);
    int32_t k = -left;
    if (k < lo) k += (lo - k + dx - 1) / dx * dx;
    for (; k < hi; k += dx) {
      const int32_t j = k >> shift_x;
      if (k >= 0 && j < 8 && (bits >> j & 1)) continue;
      uint8_t* p = row + bx + k;
      *p = static_cast<uint8_t>((value | (*p & ~wm)) & 15);
    }
  }
}

}  // namespace

int draw_character(tovo_print_context* c, const uint8_t* glyph, int32_t width, int32_t height) {
  const glyph_scale s = scale_of(c);
  if (!c->decoration) {
    c->saved_x = pstate().cursor_x;
    c->saved_y = pstate().cursor_y;
    make_room(c, width, height);
  }
  draw_box(c, glyph, width, height, s);
  const int64_t area = static_cast<int64_t>(height) * s.sy * width * s.sx;
  spend_cpu(static_cast<int>(std::min<int64_t>((area + 1) / 2, INT32_MAX)));
  c->last_advance = width * s.sx;
  pstate().cursor_x += c->last_advance;
  print_widest_x() = std::max(print_widest_x(), pstate().cursor_x);
  c->line_height = std::max(c->line_height, height * s.sy);
  if (c->decoration) {
    pstate().cursor_x = c->saved_x;
    pstate().cursor_y = c->saved_y;
    c->decoration = 0;
    return 0;
  }
  if (c->repeat > 0) c->repeat--;
  if (c->char_wait > 0) {
    c->wait_frames = c->char_wait - 1;
    return 1;
  }
  return 0;
}
