// Coroutine functions: create, resume, status, yield, running and wrap.
#include "script/api/auxlib.h"
#include "script/lib/lib_base.h"
#include "script/vm/do.h"

namespace {

lua_State* getco(lua_State* L) {
  lua_State* co = lua_tothread(L, 1);
  luaL_argcheck(L, co != nullptr, 1, "coroutine expected");
  return co;
}

// lua_checkstack(L, n), without the call when the stack and the frame have
// the room already.
inline bool room(lua_State* L, int n) {
  return (L->stack_last - L->top > n && L->ci->top >= L->top + n) || lua_checkstack(L, n);
}

// Resumes co with narg values from L's top: the count of results moved back
// to L, or -1 with the error message on top of L. With with_status, a true
// (or, before the message, a false) goes below what is moved back.
int auxresume(lua_State* L, lua_State* co, int narg, bool with_status) {
  if (!room(co, narg)) {
    if (with_status) lua_pushboolean(L, 0);
    lua_pushstring(L, "corolib: too many arguments to resume");
    return -1;
  }
  if (co->status == LUA_OK && co->top == co->ci->func + 1) {
    if (with_status) lua_pushboolean(L, 0);
    lua_pushstring(L, "corolib: cannot resume dead coroutine");
    return -1;
  }
  lua_xmove(L, co, narg);
  int status = lua_resume(co, L, narg);
  if (status == LUA_OK || status == LUA_YIELD) {
    int nres = static_cast<int>(co->top - (co->ci->func + 1));
    if (!room(L, nres + 1)) {
      co->top -= nres;
      if (with_status) lua_pushboolean(L, 0);
      lua_pushstring(L, "corolib: too many results to resume");
      return -1;
    }
    if (with_status) setbvalue(L->top++, 1);
    lua_xmove(co, L, nres);
    return nres;
  }
  lua_xmove(co, L, 1);  // the error value (already on top when co is L)
  if (with_status) {
    lua_pushboolean(L, 0);
    lua_insert(L, -2);
  }
  return -1;
}

int auxwrap(lua_State* L) {
  lua_State* co = lua_tothread(L, lua_upvalueindex(1));
  int r = auxresume(L, co, lua_gettop(L), false);
  if (r < 0) {
    if (lua_isstring(L, -1)) {  // the position of the wrapping call in front
      luaL_where(L, 1);
      lua_insert(L, -2);
      lua_concat(L, 2);
    }
    lua_error(L);
  }
  return r;
}

}  // namespace

int luaB_cocreate(lua_State* L) {
  luaL_checktype(L, 1, LUA_TFUNCTION);
  lua_State* NL = lua_newthread(L);
  lua_pushvalue(L, 1);
  lua_xmove(L, NL, 1);
  return 1;
}

int luaB_coresume(lua_State* L) {
  lua_State* co = getco(L);
  int r = auxresume(L, co, lua_gettop(L) - 1, true);
  return r < 0 ? 2 : r + 1;
}

void luaD_coresumecall(lua_State* L, StkId func, int nresults) {
  CallInfo* ci = luaD_nativeframe(L, func, nresults);
  int r = auxresume(L, thvalue(ci->func + 1), static_cast<int>(L->top - ci->func) - 2, true);
  luaD_poscall(L, L->top - (r < 0 ? 2 : r + 1));
}

int luaB_costatus(lua_State* L) {
  lua_State* co = getco(L);
  if (L == co) {
    lua_pushstring(L, "running");
    return 1;
  }
  switch (lua_status(co)) {
    case LUA_YIELD: lua_pushstring(L, "suspended"); break;
    case LUA_OK: {
      lua_Debug ar;
      if (lua_getstack(co, 0, &ar) > 0) {
        lua_pushstring(L, "normal");  // it resumed another coroutine
      } else if (lua_gettop(co) == 0) {
        lua_pushstring(L, "dead");
      } else {
        lua_pushstring(L, "suspended");  // not started yet
      }
      break;
    }
    default: lua_pushstring(L, "dead"); break;
  }
  return 1;
}

int luaB_yield(lua_State* L) { return lua_yield(L, lua_gettop(L)); }

int luaB_corunning(lua_State* L) {
  int ismain = lua_pushthread(L);
  lua_pushboolean(L, ismain);
  return 2;
}

int luaB_cowrap(lua_State* L) {
  luaB_cocreate(L);
  lua_pushcclosure(L, auxwrap, 1);
  return 1;
}
