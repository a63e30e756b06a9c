#pragma once
// A thread's value stack: growth up to its limit, shrinking after errors,
// and keeping pointers valid when it moves.
#include "script/vm/state.h"

constexpr int ERRORSTACKSIZE = LUAI_MAXSTACK + 200;

void luaD_reallocstack(lua_State* L, int newsize);
// Grows by at least n slots; beyond the limit raises "stack overflow".
void luaD_growstack(lua_State* L, int n);
// Shrinks to what is in use plus a margin, unless the stack is in overflow.
void luaD_shrinkstack(lua_State* L);

inline void luaD_checkstack(lua_State* L, int n) {
  if (L->stack_last - L->top <= n) luaD_growstack(L, n);
}
inline void incr_top(lua_State* L) {
  L->top++;
  luaD_checkstack(L, 0);
}
