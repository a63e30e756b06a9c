// Bindings of the draw state: pset, pget, cls, color, clip, camera, fillp,
// pal and palt, the table of drawing bindings, and the colour arguments of
// the drawing bindings.
#include "console/bindings/gfx_bindings.h"

#include "console/draw/gfx_colour.h"
#include "console/draw/gfx_state.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/spend_cpu.h"
#include "script/api/api_access.h"

namespace {

constexpr int32_t DEFAULT_PEN = 6;
constexpr int32_t CLS_COST = 1024;
constexpr int32_t PAL_PAIR_COST = 2;
constexpr int32_t PALT_BITS_COST = 2;
constexpr int32_t PALT_DEFAULT = 0x8000;  // colour 0 transparent

void pal_from_table(lua_State* L, int32_t p) {
  lua_pushnil(L);
  while (lua_next(L, 1)) {
    if (lua_type(L, -2) == LUA_TNUMBER) tovo_pal_set(tovo_arg_int(L, -2), tovo_arg_int(L, -1), p);
    spend_cpu(PAL_PAIR_COST);
    lua_pop(L, 1);
  }
}

}  // namespace

int kxf_pset(lua_State* L) {
  const tovo_fast_args a = tovo_fast(L);
  if (a.count < 2) return 0;
  const int32_t x = tovo_target_x(tovo_fast_int(a, 1)), y = tovo_target_y(tovo_fast_int(a, 2));
  tovo_pset(x, y, getp_col_fast(a, 3));
  return 0;
}

int kxf_pget(lua_State* L) {
  const tovo_fast_args a = tovo_fast(L);
  if (a.count < 2) return 0;
  return tovo_fix(tovo_pget(tovo_target_x(tovo_fast_int(a, 1)), tovo_target_y(tovo_fast_int(a, 2))));
}

int kx_cls(lua_State* L) {
  tovo_cls(tovo_arg_int(L, 1));
  spend_cpu(CLS_COST);
  return 0;
}

int kx_color(lua_State* L) {
  const int32_t old = pstate().pen & 0xff;
  if (lua_gettop(L) == 0) {
    pstate().pen = DEFAULT_PEN;
  } else {
    const int32_t value = tovo_arg_num(L, 1);
    pstate().pen = (value >> 16) & 0xff;
    tovo_colour_pattern(value);
  }
  lua_pushnumber(L, tovo_fix(old));
  return 1;
}

int kx_clip(lua_State* L) {
  const int n = lua_gettop(L);
  const tovo_clip_rect old = n < 4 ? tovo_clip_reset()
                                   : tovo_clip_set(tovo_arg_int(L, 1), tovo_arg_int(L, 2), tovo_arg_int(L, 3),
                                                   tovo_arg_int(L, 4), n >= 5 && lua_toboolean(L, 5));
  lua_pushnumber(L, tovo_fix(old.x0));
  lua_pushnumber(L, tovo_fix(old.y0));
  lua_pushnumber(L, tovo_fix(old.x1 - old.x0));
  lua_pushnumber(L, tovo_fix(old.y1 - old.y0));
  return 4;
}

int kx_camera(lua_State* L) {
  int32_t old_x, old_y;
  tovo_camera(tovo_arg_int(L, 1), tovo_arg_int(L, 2), &old_x, &old_y);
  lua_pushnumber(L, tovo_fix(old_x));
  lua_pushnumber(L, tovo_fix(old_y));
  return 2;
}

int kx_fillp(lua_State* L) {
  lua_pushnumber(L, tovo_fillp(lua_gettop(L) >= 1, tovo_arg_num(L, 1)));
  return 1;
}

int kx_pal(lua_State* L) {
  const int n = lua_gettop(L);
  if (n == 0) {
    tovo_pal_reset(-1);
    return 0;
  }
  if (lua_type(L, 1) == LUA_TTABLE) {
    pal_from_table(L, n >= 2 ? tovo_arg_int(L, 2) : 0);
    return 0;
  }
  if (n >= 2) {
    lua_pushnumber(L, tovo_fix(tovo_pal_set(tovo_arg_int(L, 1), tovo_arg_int(L, 2), tovo_arg_int(L, 3))));
    return 1;
  }
  tovo_pal_reset(tovo_arg_int(L, 1));
  return 0;
}

int kx_palt(lua_State* L) {
  const int n = lua_gettop(L);
  if (n >= 2) {
    lua_pushboolean(L, tovo_palt_set(tovo_arg_int(L, 1), lua_toboolean(L, 2)));
    return 1;
  }
  const int32_t old = tovo_palt_bits();
  if (n == 0) {
    tovo_palt_set_bits(PALT_DEFAULT);
  } else {
    tovo_palt_set_bits(tovo_arg_int(L, 1));
    spend_cpu(PALT_BITS_COST);
  }
  lua_pushnumber(L, tovo_fix(old));
  return 1;
}

// Colour arguments of the drawing bindings.
uint32_t getp_col(lua_State* L, int i) {
  return i <= lua_gettop(L) ? tovo_colour_arg(tovo_arg_num(L, i)) : tovo_colour_pen();
}

uint32_t getp_col_fast(const tovo_fast_args& a, int i) {
  if (i > a.count) return tovo_colour_pen();
  const TValue* slot = a.first + (i - 1);
  if (!ttisnumber(slot)) return 0;
  return tovo_colour_arg(nvalue(slot));
}
