// Textured lines: a line of pixels sampled from the map's sprites.
#include <utility>

#include "console/draw/gfx_pixel.h"
#include "console/draw/gfx_shapes.h"
#include "console/draw/map.h"
#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"

namespace {

int32_t wrapping_add(int32_t a, int64_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(static_cast<uint64_t>(b)));
}

int32_t register_byte(int32_t address) { return tovo_peek(&pstate(), pstate().cart, address); }

int32_t target_integer(int32_t value, int32_t camera) {
  return static_cast<int32_t>(static_cast<uint32_t>(value) - (static_cast<uint32_t>(camera) << 16)) >> 16;
}

}  // namespace

int32_t tovo_tline(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t mx, int32_t my, int32_t mdx, int32_t mdy,
                   int32_t layers) {
  tarq_bitmap* target = pstate().draw_target;
  tovo_cart* cart = pstate().cart;
  if (!target || !cart || !cart->gfx_view) return 0;
  int32_t ax = target_integer(x0, pstate().camera_x), ay = target_integer(y0, pstate().camera_y);
  int32_t bx = target_integer(x1, pstate().camera_x), by = target_integer(y1, pstate().camera_y);
  const tovo_line_steps whole = tovo_line_setup(ax, ay, bx, by);
  if (by < ay) {
    std::swap(ax, bx);
    std::swap(ay, by);
    mx = wrapping_add(mx, int64_t(mdx) * whole.n);
    my = wrapping_add(my, int64_t(mdy) * whole.n);
    mdx = static_cast<int32_t>(0u - static_cast<uint32_t>(mdx));
    mdy = static_cast<int32_t>(0u - static_cast<uint32_t>(mdy));
  }
  if (by < target->clip_y0 || ay >= target->clip_y1) return 0;
  if ((ax < target->clip_x0 && bx < target->clip_x0) || (ax >= target->clip_x1 && bx >= target->clip_x1)) return 0;
  const tovo_line_steps s = tovo_line_setup(ax, ay, bx, by);
  int64_t first, last;
  if (!tovo_line_run(target, s, &first, &last)) return 0;
  mx = wrapping_add(mx, int64_t(mdx) * first);
  my = wrapping_add(my, int64_t(mdy) * first);

  const int32_t mw = (register_byte(TOVO_REG_TLINE_WRAP_W) - 1) & 0xff;
  const int32_t mh = (register_byte(TOVO_REG_TLINE_WRAP_H) - 1) & 0xff;
  const int32_t ox = register_byte(TOVO_REG_TLINE_OFFSET_X), oy = register_byte(TOVO_REG_TLINE_OFFSET_Y);
  const bool draw_zero = (pstate().ram[TOVO_REG_FEATURES] & TOVO_FEATURE_DRAW_ZERO) != 0;
  const uint32_t pattern = static_cast<uint32_t>(pstate().fill_pattern);
  const tovo_map_shape map = tovo_map_geometry();
  const tarq_bitmap* source = cart->gfx_view;
  for (int64_t k = first; k <= last; k++) {
    const int32_t cx = ((mx >> 16) & mw) + ox, cy = ((my >> 16) & mh) + oy;
    const int32_t v = cx < map.width && cy < map.height ? map.cells[cy * map.width + cx] : 0;
    if ((v != 0 || draw_zero) && (layers == 0 || (cart->gff[v] & layers) != 0)) {
      const int32_t sx = (v % 16) * 8 + (mx >> 13 & 7), sy = (v / 16) * 8 + (my >> 13 & 7);
      const uint32_t p = tovo_inside_clip(source, sx, sy) ? source->rows[sy][sx] : 0;
      const uint32_t c = static_cast<uint32_t>(pstate().draw_pal[p & 15]);
      const int32_t x = tovo_line_x(s, k), y = tovo_line_y(s, k);
      if (!(c & 16)) {
        if (pattern & TOVO_PATTERN_SPRITES) {
          tovo_putpixel(target, x, y, static_cast<uint32_t>(pstate().secondary_pal[c & 15]), pattern);
        } else if (tovo_inside_clip(target, x, y)) {
          tovo_write_masked(&target->rows[y][x], c);
        }
      }
    }
    mx = wrapping_add(mx, mdx);
    my = wrapping_add(my, mdy);
  }
  return static_cast<int32_t>(last - first + 1);
}
