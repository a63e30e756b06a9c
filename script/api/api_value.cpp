// The native interface: type tests, readers, pushes, comparison and
// arithmetic.
#include <cstdarg>

#include "script/api/api_access.h"
#include "script/api/api_index.h"
#include "script/value/gc.h"
#include "script/value/number.h"
#include "script/vm/stack.h"
#include "script/vm/unwind.h"
#include "script/vm/vm.h"

void lua_replace(lua_State* L, int idx) {
  lua_copy(L, -1, idx);
  L->top--;
}

void lua_copy(lua_State* L, int fromidx, int toidx) {
  TValue* fr = luaA_index2addr(L, fromidx);
  TValue* to = luaA_index2addr(L, toidx);
  setobj(to, fr);
  if (toidx < LUA_REGISTRYINDEX) luaC_barrier(L, clCvalue(L->ci->func), fr);  // an upvalue
}

int lua_isnumber(lua_State* L, int idx) {
  TValue n;
  return luaV_tonumber(luaA_index2addr(L, idx), &n) != nullptr;
}

int lua_isstring(lua_State* L, int idx) {
  int t = lua_type(L, idx);
  return t == LUA_TSTRING || t == LUA_TNUMBER;
}

int lua_iscfunction(lua_State* L, int idx) {
  const TValue* o = luaA_index2addr(L, idx);
  return ttislcf(o) || ttisfcf(o) || ttisCclosure(o);
}

int lua_isuserdata(lua_State* L, int idx) {
  const TValue* o = luaA_index2addr(L, idx);
  return ttisuserdata(o) || ttislightuserdata(o);
}

lua_Unsigned lua_tounsignedx(lua_State* L, int idx, int* isnum) {
  return static_cast<lua_Unsigned>(lua_tointegerx(L, idx, isnum));
}

lua_CFunction lua_tocfunction(lua_State* L, int idx) {
  const TValue* o = luaA_index2addr(L, idx);
  if (ttislcf(o) || ttisfcf(o)) return fvalue(o);
  if (ttisCclosure(o)) return clCvalue(o)->f;
  return nullptr;
}

void* lua_touserdata(lua_State* L, int idx) {
  const TValue* o = luaA_index2addr(L, idx);
  if (ttisuserdata(o)) return getudatamem(uvalue(o));
  if (ttislightuserdata(o)) return pvalue(o);
  return nullptr;
}

const void* lua_topointer(lua_State* L, int idx) {
  const TValue* o = luaA_index2addr(L, idx);
  if (ttistable(o) || ttisLclosure(o) || ttisCclosure(o) || ttisthread(o)) return gcvalue(o);
  if (ttislcf(o) || ttisfcf(o)) return reinterpret_cast<const void*>(fvalue(o));
  if (ttisuserdata(o) || ttislightuserdata(o)) return lua_touserdata(L, idx);
  return nullptr;
}

int lua_rawequal(lua_State* L, int idx1, int idx2) {
  const TValue* o1 = luaA_index2addr(L, idx1);
  const TValue* o2 = luaA_index2addr(L, idx2);
  return tovo_isvalid(o1) && tovo_isvalid(o2) && luaV_rawequalobj(o1, o2);
}

int lua_compare(lua_State* L, int idx1, int idx2, int op) {
  const TValue* o1 = luaA_index2addr(L, idx1);
  const TValue* o2 = luaA_index2addr(L, idx2);
  if (!tovo_isvalid(o1) || !tovo_isvalid(o2)) return 0;
  switch (op) {
    case LUA_OPEQ: return luaV_equalobj(L, o1, o2);
    case LUA_OPLT: return luaV_lessthan(L, o1, o2);
    case LUA_OPLE: return luaV_lessequal(L, o1, o2);
    default: luaG_runerror(L, "invalid option");
  }
}

void lua_arith(lua_State* L, int op) {
  if (op == LUA_OPUNM) {  // the single operand is duplicated
    setobj(L->top, L->top - 1);
    incr_top(L);
  }
  StkId o1 = L->top - 2;
  StkId o2 = L->top - 1;
  if (ttisnumber(o1) && ttisnumber(o2)) {
    setnvalue(o1, luaO_arith(L, op, nvalue(o1), nvalue(o2)));
  } else {
    luaV_arith(L, o1, o1, o2, static_cast<TMS>(op + TM_ADD));
  }
  L->top--;
}

void lua_pushunsigned(lua_State* L, lua_Unsigned n) { lua_pushinteger(L, static_cast<lua_Integer>(n)); }

const char* lua_pushvfstring(lua_State* L, const char* fmt, va_list argp) {
  luaC_checkGC(L);
  return luaO_pushvfstring(L, fmt, argp);
}

void lua_pushlightuserdata(lua_State* L, void* p) {
  setpvalue(L->top, p);
  incr_top(L);
}
