// Bindings of sprites, sprite flags, the map and textured lines: spr, sspr,
// sget, sset, fget, fset, map, mget, mset and tline.
#include "console/bindings/gfx_bindings.h"
#include "console/draw/map.h"
#include "console/draw/sprite.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/spend_cpu.h"

namespace {

constexpr int32_t DEFAULT_MDX = 0x2000;  // one sprite pixel per screen pixel

bool below(int32_t value, int32_t bound) { return static_cast<uint32_t>(value) < static_cast<uint32_t>(bound) << 16; }

}  // namespace

int kx_spr(lua_State* L) {
  const int n = lua_gettop(L);
  const int32_t sprite = tovo_arg_int(L, 1);
  if (sprite < 0 || sprite > 255) return 0;
  int32_t w = 8, h = 8;
  if (n > 3) {
    w = tovo_arg_num(L, 4) >> 13;
    h = tovo_arg_num(L, 5) >> 13;
    if (w <= 0 || h <= 0) return 0;
  }
  const bool flip_x = n > 5 && lua_toboolean(L, 6), flip_y = n > 5 && lua_toboolean(L, 7);
  spend_cpu(tovo_spr(sprite, tovo_arg_int(L, 2), tovo_arg_int(L, 3), w, h, flip_x, flip_y));
  return 0;
}

int kx_sspr(lua_State* L) {
  const int n = lua_gettop(L);
  const int32_t sw = tovo_arg_int(L, 3), sh = tovo_arg_int(L, 4);
  const int32_t dw = n > 6 ? tovo_arg_int(L, 7) : sw, dh = n > 6 ? tovo_arg_int(L, 8) : sh;
  if (sw < 1 || sw > 128 || sh < 1 || sh > 128 || dw == 0 || dh == 0) return 0;
  const bool flip_x = n >= 9 && lua_toboolean(L, 9), flip_y = n >= 10 && lua_toboolean(L, 10);
  spend_cpu(tovo_sspr(tovo_arg_int(L, 1), tovo_arg_int(L, 2), sw, sh, tovo_arg_int(L, 5), tovo_arg_int(L, 6), dw, dh,
                      flip_x, flip_y));
  return 0;
}

int kx_sget(lua_State* L) {
  lua_pushnumber(L, tovo_fix(tovo_sget(tovo_arg_int(L, 1), tovo_arg_int(L, 2))));
  return 1;
}

int kx_sset(lua_State* L) {
  const int32_t colour = lua_gettop(L) >= 3 ? tovo_arg_int(L, 3) : pstate().pen;
  tovo_sset(tovo_arg_int(L, 1), tovo_arg_int(L, 2), colour);
  return 0;
}

int kx_fget(lua_State* L) {
  const int n = lua_gettop(L);
  if (n == 0) return 0;
  const int32_t sprite = tovo_arg_num(L, 1);
  if (n == 1) {
    lua_pushnumber(L, tovo_fix(tovo_fget(sprite >> 16)));
    return 1;
  }
  const int32_t f = tovo_arg_int(L, 2) & 0xff;
  lua_pushboolean(L, below(sprite, 256) && f < 8 && (tovo_fget(sprite >> 16) >> f & 1));
  return 1;
}

int kx_fset(lua_State* L) {
  const int n = lua_gettop(L);
  const int32_t sprite = tovo_arg_num(L, 1);
  if (n < 2 || !below(sprite, 256)) return 0;
  if (n == 2) {
    tovo_fset(sprite >> 16, tovo_arg_int(L, 2));
    return 0;
  }
  const int32_t f = tovo_arg_num(L, 2);
  if (!below(f, 8)) return 0;
  const int32_t bit = 1 << (f >> 16);
  const int32_t flags = tovo_fget(sprite >> 16);
  tovo_fset(sprite >> 16, lua_toboolean(L, 3) ? flags | bit : flags & ~bit);
  return 0;
}

int kx_map(lua_State* L) {
  const tovo_map_shape shape = tovo_map_geometry();
  const int32_t cw = tovo_arg_absent(L, 5) ? shape.width : tovo_arg_int(L, 5);
  const int32_t ch = tovo_arg_absent(L, 6) ? shape.height : tovo_arg_int(L, 6);
  if (cw <= 0 || ch <= 0) return 0;
  const int32_t layers = tovo_arg_int(L, 7) & 0xffff;
  spend_cpu(
      tovo_map_draw(tovo_arg_int(L, 1), tovo_arg_int(L, 2), tovo_arg_int(L, 3), tovo_arg_int(L, 4), cw, ch, layers));
  return 0;
}

int kx_mget(lua_State* L) {
  lua_pushnumber(L, tovo_fix(map_getpixel(tovo_arg_int(L, 1), tovo_arg_int(L, 2))));
  return 1;
}

int kx_mset(lua_State* L) {
  map_putpixel(tovo_arg_int(L, 1), tovo_arg_int(L, 2), tovo_arg_int(L, 3) & 0xff);
  return 0;
}

int kx_tline(lua_State* L) {
  const int32_t mdx = tovo_arg_absent(L, 7) ? DEFAULT_MDX : tovo_arg_num(L, 7);
  const int32_t count =
      tovo_tline(tovo_arg_num(L, 1), tovo_arg_num(L, 2), tovo_arg_num(L, 3), tovo_arg_num(L, 4), tovo_arg_num(L, 5),
                 tovo_arg_num(L, 6), mdx, tovo_arg_num(L, 8), tovo_arg_int(L, 9) & 0xffff);
  spend_cpu(2 * count);
  return 0;
}
