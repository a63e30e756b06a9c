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

// Resumes co with narg values from L's top: the count of results moved back
// to L, or -1 with the error message on top of L. With with_status, a true
// (or, before the message, a false) goes below them.
int auxresume(lua_State* L, lua_State* co, int narg, bool with_status) {
  if (!luaD_resumeready(L, co, narg, with_status)) return -1;
  lua_xmove(L, co, narg);
  return luaD_resumeresults(L, co, lua_resume(co, L, narg), with_status);
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
