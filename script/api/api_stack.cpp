// The native interface: stack slots, reading values and pushing them.
#include <cstdarg>
#include <cstring>

#include "script/api/api_index.h"
#include "script/value/gc.h"
#include "script/value/number.h"
#include "script/value/string.h"
#include "script/vm/func.h"
#include "script/vm/stack.h"
#include "script/vm/tm.h"
#include "script/vm/unwind.h"

TValue* luaA_index2addr(lua_State* L, int idx) {
  CallInfo* ci = L->ci;
  TValue* none = const_cast<TValue*>(luaO_nilobject());
  if (idx > 0) {
    TValue* o = ci->func + idx;
    return o >= L->top ? none : o;
  }
  if (idx > LUA_REGISTRYINDEX) return L->top + idx;
  if (idx == LUA_REGISTRYINDEX) return &G(L)->l_registry;
  idx = LUA_REGISTRYINDEX - idx;  // an upvalue of the running native closure
  if (!ttisCclosure(ci->func)) return none;
  CClosure* func = clCvalue(ci->func);
  return idx <= func->nupvalues ? &func->upvalue[idx - 1] : none;
}

int lua_absindex(lua_State* L, int idx) {
  return (idx > 0 || idx <= LUA_REGISTRYINDEX) ? idx : static_cast<int>(L->top - L->ci->func) + idx;
}

int lua_gettop(lua_State* L) { return static_cast<int>(L->top - (L->ci->func + 1)); }

void lua_settop(lua_State* L, int idx) {
  StkId func = L->ci->func;
  if (idx >= 0) {
    while (L->top < func + 1 + idx) setnilvalue(L->top++);
    L->top = func + 1 + idx;
  } else {
    L->top += idx + 1;
  }
}

void lua_pushvalue(lua_State* L, int idx) {
  setobj(L->top, luaA_index2addr(L, idx));
  incr_top(L);
}

void lua_insert(lua_State* L, int idx) {
  StkId p = luaA_index2addr(L, idx);
  for (StkId q = L->top; q > p; q--) setobj(q, q - 1);
  setobj(p, L->top);
}

void lua_remove(lua_State* L, int idx) {
  StkId p = luaA_index2addr(L, idx);
  while (++p < L->top) setobj(p - 1, p);
  L->top--;
}

int lua_checkstack(lua_State* L, int n) {
  CallInfo* ci = L->ci;
  int res = 1;
  if (L->stack_last - L->top <= n) {
    int inuse = static_cast<int>(L->top - L->stack) + EXTRA_STACK;
    if (inuse > LUAI_MAXSTACK - n) {
      res = 0;
    } else {
      auto grow = [](lua_State* L1, void* ud) { luaD_growstack(L1, *static_cast<int*>(ud)); };
      res = luaD_rawrunprotected(L, grow, &n) == LUA_OK;
    }
  }
  if (res && ci->top < L->top + n) ci->top = L->top + n;
  return res;
}

void lua_xmove(lua_State* from, lua_State* to, int n) {
  if (from == to) return;
  from->top -= n;
  for (int i = 0; i < n; i++) setobj(to->top++, from->top + i);
}

int lua_type(lua_State* L, int idx) {
  const TValue* o = luaA_index2addr(L, idx);
  return tovo_isvalid(o) ? ttypenv(o) : LUA_TNONE;
}

const char* lua_typename(lua_State*, int t) { return ttypename(t); }

int lua_toboolean(lua_State* L, int idx) { return !l_isfalse(luaA_index2addr(L, idx)); }

lua_Number lua_tonumberx(lua_State* L, int idx, int* isnum) {
  TValue n;
  const TValue* o = luaV_tonumber(luaA_index2addr(L, idx), &n);
  if (isnum != nullptr) *isnum = o != nullptr;
  return o != nullptr ? nvalue(o) : 0;
}

lua_Integer lua_tointegerx(lua_State* L, int idx, int* isnum) {
  int ok = 0;
  lua_Number n = lua_tonumberx(L, idx, &ok);
  if (isnum != nullptr) *isnum = ok;
  return ok ? tovo_num2int(n) : 0;
}

const char* lua_tolstring(lua_State* L, int idx, size_t* len) {
  StkId o = luaA_index2addr(L, idx);
  if (!ttisstring(o)) {
    if (!ttisnumber(o)) {
      if (len != nullptr) *len = 0;
      return nullptr;
    }
    luaV_tostring(L, o);
    luaC_checkGC(L);
    o = luaA_index2addr(L, idx);  // the collector may have moved the stack
  }
  if (len != nullptr) *len = tsvalue(o)->len;
  return svalue(o);
}

lua_State* lua_tothread(lua_State* L, int idx) {
  const TValue* o = luaA_index2addr(L, idx);
  return ttisthread(o) ? thvalue(o) : nullptr;
}

lua_Number lua_tonumber_from_tvalue(const void* slot) {
  const TValue* o = static_cast<const TValue*>(slot);
  TValue n;
  const TValue* r = luaV_tonumber(o, &n);
  return r != nullptr ? nvalue(r) : 0;
}

void lua_pushnil(lua_State* L) {
  setnilvalue(L->top);
  incr_top(L);
}

void lua_pushnumber(lua_State* L, lua_Number n) {
  setnvalue(L->top, n);
  incr_top(L);
}

void lua_pushinteger(lua_State* L, lua_Integer n) { lua_pushnumber(L, tovo_int2num(n)); }

void lua_pushboolean(lua_State* L, int b) {
  setbvalue(L->top, b != 0);
  incr_top(L);
}

const char* lua_pushlstring(lua_State* L, const char* s, size_t len) {
  luaC_checkGC(L);
  TString* ts = luaS_newlstr(L, s, len);
  setsvalue(L->top, ts);
  incr_top(L);
  return getstr(ts);
}

void lua_pushtypename(lua_State* L, int t) {
  luaC_checkGC(L);
  setsvalue(L->top, luaS_typename(L, t));
  incr_top(L);
}

const char* lua_pushstring(lua_State* L, const char* s) {
  if (s == nullptr) {
    lua_pushnil(L);
    return nullptr;
  }
  return lua_pushlstring(L, s, std::strlen(s));
}

const char* lua_pushfstring(lua_State* L, const char* fmt, ...) {
  luaC_checkGC(L);
  va_list argp;
  va_start(argp, fmt);
  const char* ret = luaO_pushvfstring(L, fmt, argp);
  va_end(argp);
  return ret;
}

void lua_pushcclosure(lua_State* L, lua_CFunction fn, int n) {
  if (n == TOVO_FAST_CFUNCTION) {
    setfastfvalue(L->top, fn);
  } else if (n == 0) {
    setfvalue(L->top, fn);
  } else {
    luaC_checkGC(L);
    Closure* cl = luaF_newCclosure(L, n);
    cl->c.f = fn;
    L->top -= n;
    while (n--) setobj(&cl->c.upvalue[n], L->top + n);
    setclCvalue(L->top, &cl->c);
  }
  incr_top(L);
}

int lua_pushthread(lua_State* L) {
  setthvalue(L->top, L);
  incr_top(L);
  return G(L)->mainthread == L;
}
