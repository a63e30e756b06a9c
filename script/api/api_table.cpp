// The native interface: tables, globals, metatables and joining values.
#include "script/api/api_index.h"
#include "script/value/gc.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/stack.h"
#include "script/vm/vm.h"

namespace {

const TValue* globals_of(lua_State* L) { return luaH_getint(registry_table(L), LUA_RIDX_GLOBALS); }

}  // namespace

void lua_createtable(lua_State* L, int narr, int nrec) {
  luaC_checkGC(L);
  Table* t = luaH_new(L);
  sethvalue(L->top, t);
  incr_top(L);
  if (narr > 0 || nrec > 0) luaH_resize(L, t, narr, nrec);
}

void lua_getfield(lua_State* L, int idx, const char* k) {
  idx = lua_absindex(L, idx);  // pushing the key may move the stack
  setsvalue(L->top, luaS_new(L, k));
  incr_top(L);
  luaV_gettable(L, luaA_index2addr(L, idx), L->top - 1, L->top - 1);
}

void lua_setfield(lua_State* L, int idx, const char* k) {
  idx = lua_absindex(L, idx);
  setsvalue(L->top, luaS_new(L, k));
  incr_top(L);
  luaV_settable(L, luaA_index2addr(L, idx), L->top - 1, L->top - 2);
  L->top -= 2;  // the key and the value
}

void lua_getglobal(lua_State* L, const char* name) {
  const TValue* gt = globals_of(L);
  setsvalue(L->top, luaS_new(L, name));
  incr_top(L);
  luaV_gettable(L, gt, L->top - 1, L->top - 1);
}

void lua_setglobal(lua_State* L, const char* name) {
  const TValue* gt = globals_of(L);
  setsvalue(L->top, luaS_new(L, name));
  incr_top(L);
  luaV_settable(L, gt, L->top - 1, L->top - 2);
  L->top -= 2;
}

int lua_setmetatable(lua_State* L, int objindex) {
  TValue* obj = luaA_index2addr(L, objindex);
  Table* mt = ttisnil(L->top - 1) ? nullptr : hvalue(L->top - 1);
  switch (ttypenv(obj)) {
    case LUA_TTABLE:
      hvalue(obj)->metatable = mt;
      if (mt != nullptr) {
        luaC_objbarrierback(L, hvalue(obj), mt);
        luaC_checkfinalizer(L, gcvalue(obj), mt);
      }
      break;
    case LUA_TUSERDATA:
      uvalue(obj)->metatable = mt;
      if (mt != nullptr) {
        luaC_objbarrier(L, uvalue(obj), mt);
        luaC_checkfinalizer(L, gcvalue(obj), mt);
      }
      break;
    default: G(L)->mt[ttypenv(obj)] = mt; break;
  }
  L->top--;
  return 1;
}

void lua_concat(lua_State* L, int n) {
  if (n >= 2) {
    luaC_checkGC(L);
    luaV_concat(L, n);
  } else if (n == 0) {
    setsvalue(L->top, luaS_newlstr(L, "", 0));
    incr_top(L);
  }
}
