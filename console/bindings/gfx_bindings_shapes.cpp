// Bindings of the shapes: line, rect, rectfill, oval, ovalfill, circ and
// circfill.
#include "console/bindings/gfx_bindings.h"
#include "console/draw/gfx_colour.h"
#include "console/draw/gfx_shapes.h"
#include "console/draw/gfx_state.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/spend_cpu.h"

namespace {

constexpr int32_t DEFAULT_RADIUS = 4 << 16;

int32_t to_int16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

using box_routine = int32_t (*)(tarq_bitmap*, int32_t, int32_t, int32_t, int32_t, uint32_t);

// oval and ovalfill: the camera-relative box of arguments 1-4, colour 5.
int oval_binding(lua_State* L, box_routine draw, int32_t divisor) {
  const int32_t x0 = tovo_target_x(tovo_arg_int(L, 1)), y0 = tovo_target_y(tovo_arg_int(L, 2));
  const int32_t x1 = tovo_target_x(tovo_arg_int(L, 3)), y1 = tovo_target_y(tovo_arg_int(L, 4));
  const uint32_t colour = getp_col(L, 5);
  if (pstate().draw_target) spend_cpu(draw(pstate().draw_target, x0, y0, x1, y1, colour) / divisor);
  return 0;
}

// circ and circfill: (x, y, [r], [col]).
int circle_binding(lua_State* L, box_routine draw, int32_t divisor) {
  if (lua_gettop(L) < 2) return 0;
  const int32_t radius = tovo_arg_absent(L, 3) ? DEFAULT_RADIUS : tovo_arg_num(L, 3);
  if (radius < 0) return 0;
  const int32_t r = radius >> 16;
  const int32_t e = (pstate().ram[TOVO_REG_FEATURES] & TOVO_FEATURE_EVEN_CIRCLES) && (radius & 0x8000) ? 1 : 0;
  const int32_t x = tovo_target_x(tovo_arg_int(L, 1)), y = tovo_target_y(tovo_arg_int(L, 2));
  const uint32_t colour = getp_col(L, 4);
  if (pstate().draw_target) spend_cpu(draw(pstate().draw_target, x - r, y - r, x + r + e, y + r + e, colour) / divisor);
  return 0;
}

}  // namespace

int kx_line(lua_State* L) {
  const int n = lua_gettop(L);
  if (n <= 1) {
    pstate().line_flag = 1;
    if (n == 1) tovo_colour_arg(tovo_arg_num(L, 1));
    return 0;
  }
  int32_t x0, y0, x1, y1;
  if (n <= 3) {
    if (n == 3) tovo_colour_arg(tovo_arg_num(L, 3));
    x1 = tovo_arg_int(L, 1);
    y1 = tovo_arg_int(L, 2);
    const bool no_end = pstate().line_flag & 1;
    x0 = pstate().line_end_x;
    y0 = pstate().line_end_y;
    pstate().line_end_x = to_int16(x1);
    pstate().line_end_y = to_int16(y1);
    if (no_end) {
      pstate().line_flag = 0;
      return 0;
    }
  } else {
    x0 = tovo_arg_int(L, 1);
    y0 = tovo_arg_int(L, 2);
    x1 = tovo_arg_int(L, 3);
    y1 = tovo_arg_int(L, 4);
    pstate().line_end_x = to_int16(x1);
    pstate().line_end_y = to_int16(y1);
    pstate().line_flag = 0;
  }
  const uint32_t colour = getp_col(L, 5);
  tarq_bitmap* t = pstate().draw_target;
  if (!t) return 0;
  x0 = tovo_target_x(x0);
  y0 = tovo_target_y(y0);
  x1 = tovo_target_x(x1);
  y1 = tovo_target_y(y1);
  if (x0 == x1) {
    spend_cpu(draw_vline(t, x0, y0, y1, colour) / 16);
  } else if (y0 == y1) {
    spend_cpu(draw_hline(t, x0, x1, y0, colour) / 16);
  } else {
    spend_cpu(draw_line(t, x0, y0, x1, y1, colour) / 2);
  }
  return 0;
}

int kxf_rect(lua_State* L) {
  const tovo_fast_args a = tovo_fast(L);
  const int32_t x0 = tovo_target_x(tovo_fast_int(a, 1)), y0 = tovo_target_y(tovo_fast_int(a, 2));
  const int32_t x1 = tovo_target_x(tovo_fast_int(a, 3)), y1 = tovo_target_y(tovo_fast_int(a, 4));
  const uint32_t colour = getp_col_fast(a, 5);
  if (pstate().draw_target) spend_cpu(tovo_rect_box(pstate().draw_target, x0, y0, x1, y1, colour) / 16);
  return 0;
}

int kxf_rectfill(lua_State* L) {
  const tovo_fast_args a = tovo_fast(L);
  const int32_t x0 = tovo_target_x(tovo_fast_int(a, 1)), y0 = tovo_target_y(tovo_fast_int(a, 2));
  const int32_t x1 = tovo_target_x(tovo_fast_int(a, 3)), y1 = tovo_target_y(tovo_fast_int(a, 4));
  const uint32_t colour = getp_col_fast(a, 5);
  if (!pstate().draw_target) return 0;
  const int32_t count = tovo_rectfill_box(pstate().draw_target, x0, y0, x1, y1, colour);
  if (count > 0) spend_cpu(count / 16);
  return 0;
}

int kx_oval(lua_State* L) { return oval_binding(L, draw_oval, 2); }
int kx_ovalfill(lua_State* L) { return oval_binding(L, draw_filloval, 16); }
int kx_circ(lua_State* L) { return circle_binding(L, draw_oval, 2); }
int kx_circfill(lua_State* L) { return circle_binding(L, draw_filloval, 16); }
