#pragma once
// Argument reading shared by the drawing bindings. Ordinary bindings read
// their arguments by stack index (console/bindings/binding_args.h); fast bindings
// read the argument slots below the stack top directly.
#include <cstdint>

#include "console/bindings/binding_args.h"
#include "script/api/api.h"
#include "script/value/object.h"
#include "script/vm/state.h"

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
