#pragma once
// The drawing functions of the script API: ordinary bindings (kx_) that read
// their arguments by index and return their result count, and fast bindings
// (kxf_) that read the argument slots directly and return one 16.16 number.
// Each charges its work with spend_cpu as its script function is documented.
// Here too is the argument reading shared by the drawing bindings: ordinary
// bindings read their arguments by stack index (console/bindings/binding_args.h);
// fast bindings read the argument slots below the stack top directly.
#include <cstdint>

#include "console/bindings/binding_args.h"
#include "script/api/api.h"
#include "script/lua.h"
#include "script/value/object.h"
#include "script/vm/state.h"

// Draw state
int kxf_pset(lua_State* L);
int kxf_pget(lua_State* L);
int kx_cls(lua_State* L);
int kx_color(lua_State* L);
int kx_clip(lua_State* L);
int kx_camera(lua_State* L);
int kx_fillp(lua_State* L);
int kx_pal(lua_State* L);
int kx_palt(lua_State* L);

// Shapes
int kx_line(lua_State* L);
int kxf_rect(lua_State* L);
int kxf_rectfill(lua_State* L);
int kx_oval(lua_State* L);
int kx_ovalfill(lua_State* L);
int kx_circ(lua_State* L);
int kx_circfill(lua_State* L);

// Sprites and flags
int kx_spr(lua_State* L);
int kx_sspr(lua_State* L);
int kx_sget(lua_State* L);
int kx_sset(lua_State* L);
int kx_fget(lua_State* L);
int kx_fset(lua_State* L);

// Map and textured lines ("map" and "mapdraw" are both kx_map)
int kx_map(lua_State* L);
int kx_mget(lua_State* L);
int kx_mset(lua_State* L);
int kx_tline(lua_State* L);

// True for a missing or nil argument, which takes the argument's default.
inline bool tovo_arg_absent(lua_State* L, int i) { return lua_type(L, i) <= LUA_TNIL; }

// The colour argument i of an ordinary binding, resolved (the pen without it).
uint32_t getp_col(lua_State* L, int i);

// The arguments of a fast call.
struct tovo_fast_args {
  const TValue* first;
  int32_t count;
};
inline tovo_fast_args tovo_fast(lua_State* L) { return {L->top - L->nargs, L->nargs}; }
// Argument i (1-based) as a 16.16 number, 0 when missing or not numeric.
inline int32_t tovo_fast_num(const tovo_fast_args& a, int i) {
  return i <= a.count ? lua_tonumber_from_tvalue(a.first + (i - 1)) : 0;
}
inline int32_t tovo_fast_int(const tovo_fast_args& a, int i) { return tovo_fast_num(a, i) >> 16; }
// The colour argument i of a fast binding: as getp_col, but an argument that
// is present and not a number gives colour 0 and leaves the pen alone.
uint32_t getp_col_fast(const tovo_fast_args& a, int i);

// 16.16 number of an integer.
inline int32_t tovo_fix(int32_t n) { return static_cast<int32_t>(static_cast<uint32_t>(n) << 16); }
