#pragma once
// Prototypes, closures and upvalues.
#include "script/vm/state.h"

constexpr int MAXUPVAL = 255;

Proto* luaF_newproto(lua_State* L);
Closure* luaF_newCclosure(lua_State* L, int nelems);
Closure* luaF_newLclosure(lua_State* L, int nelems);
UpVal* luaF_newupval(lua_State* L);
// The open upvalue for a stack slot, made when there is none.
UpVal* luaF_findupval(lua_State* L, StkId level);
// Closes every open upvalue at or above level.
void luaF_close(lua_State* L, StkId level);
// True when an open upvalue lies at or above level (luaF_close has work).
inline bool luaF_hasopen(const lua_State* L, const TValue* level) {
  return L->openupval != nullptr && static_cast<const UpVal*>(L->openupval)->v >= level;
}
void luaF_freeproto(lua_State* L, Proto* f);
void luaF_freeupval(lua_State* L, UpVal* uv);
// Name of the n-th local variable active at pc, or null.
const char* luaF_getlocalname(const Proto* func, int local_number, int pc);
