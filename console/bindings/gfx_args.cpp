// Colour arguments of the drawing bindings.
#include "console/bindings/gfx_args.h"

#include "console/draw/gfx_colour.h"

uint32_t getp_col(lua_State* L, int i) {
  return i <= lua_gettop(L) ? tovo_colour_arg(tovo_arg_num(L, i)) : tovo_colour_pen();
}

uint32_t getp_col_fast(const tovo_fast_args& a, int i) {
  if (i > a.count) return tovo_colour_pen();
  const TValue* slot = a.first + (i - 1);
  if (!ttisnumber(slot)) return 0;
  return tovo_colour_arg(nvalue(slot));
}
