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
// True when an open upvalue lies at or above level (luaF_close has work):
// one comparison, as no open upvalue (a null level) compares below any slot.
inline bool luaF_hasopen(const lua_State* L, const TValue* level) {
  return reinterpret_cast<uintptr_t>(L->openlevel) >= reinterpret_cast<uintptr_t>(level);
}
// Sets L's openlevel from its list of open upvalues, after a change to it.
inline void luaF_setopenlevel(lua_State* L) {
  L->openlevel = L->openupval != nullptr ? static_cast<const UpVal*>(L->openupval)->v : nullptr;
}
void luaF_freeproto(lua_State* L, Proto* f);
void luaF_freeupval(lua_State* L, UpVal* uv);
// Name of the n-th local variable active at pc, or null.
const char* luaF_getlocalname(const Proto* func, int local_number, int pc);
