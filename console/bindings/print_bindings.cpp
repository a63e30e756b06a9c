// print and cursor.
#include <cstdio>

#include "console/bindings/api_bindings.h"
#include "console/bindings/gfx_bindings.h"
#include "console/draw/gfx_colour.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/print.h"
#include "console/print/print_context.h"
#include "script/api/api.h"

namespace {

// The text of argument 1, pushed: numbers and strings as text, booleans as
// "true" or "false", other values as "[type]".
void push_text(lua_State* L) {
  const int type = lua_type(L, 1);
  if (type == LUA_TNUMBER || type == LUA_TSTRING) {
    lua_pushvalue(L, 1);
    lua_tolstring(L, -1, nullptr);
  } else if (type == LUA_TBOOLEAN) {
    lua_pushstring(L, lua_toboolean(L, 1) ? "true" : "false");
  } else {
    char text[32];
    std::snprintf(text, sizeof text, "[%s]", lua_typename(L, type));
    lua_pushstring(L, text);
  }
}

int32_t pen_colour() { return pstate().draw_pal[pstate().pen & 15] & 15; }

}  // namespace

int kx_print(lua_State* L) {
  const int n = lua_gettop(L);
  if (n == 0) return 0;
  int32_t colour;
  int32_t mode = print_cart_running() ? TOVO_PRINT_SCROLL : TOVO_PRINT_SCROLL | TOVO_PRINT_WRAP;
  if (n == 2) {
    colour = static_cast<int32_t>(getp_col(L, 2));
  } else if (n == 1) {
    colour = pen_colour();
  } else {
    pstate().cursor_x = pstate().print_home_x = tovo_arg_int(L, 2);
    pstate().cursor_y = tovo_arg_int(L, 3);
    colour = n >= 4 ? static_cast<int32_t>(getp_col(L, 4)) : pen_colour();
    mode = 0;
  }
  push_text(L);
  size_t length = 0;
  const char* text = lua_tolstring(L, -1, &length);
  print_widest_x() = 0;
  const int32_t waiting =
      tovo_print_text(pstate().draw_target, text ? text : "",
                      static_cast<int32_t>(length < 0x7fffffff ? length : 0x7fffffff), mode, colour);
  lua_pop(L, 1);
  if (waiting) {
    kx_flip(L);
    return 0;
  }
  lua_pushnumber(L, tovo_fix(print_widest_x()));
  return 1;
}

int kx_cursor(lua_State* L) {
  const int32_t old_x = pstate().cursor_x, old_y = pstate().cursor_y, old_pen = pstate().pen;
  pstate().cursor_x = pstate().print_home_x = tovo_arg_int(L, 1);
  pstate().cursor_y = tovo_arg_int(L, 2);
  if (lua_gettop(L) >= 3) tovo_colour_arg(tovo_arg_num(L, 3));
  lua_pushnumber(L, tovo_fix(old_x));
  lua_pushnumber(L, tovo_fix(old_y));
  lua_pushnumber(L, tovo_fix(old_pen));
  return 3;
}
