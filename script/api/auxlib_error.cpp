// Auxiliary library: errors with a position prefix, argument errors and the
// global name of a function.
#include <cstdarg>
#include <cstring>

#include "script/api/auxlib.h"
#include "script/value/number.h"

namespace {

// Looks in the table on top (and, while level allows, in the tables it
// holds) for a string key whose value equals the value at objidx; leaves its
// name on top: 1.
int findfield(lua_State* L, int objidx, int level) {
  if (level == 0 || !lua_istable(L, -1)) return 0;
  lua_pushnil(L);
  while (lua_next(L, -2)) {
    if (lua_type(L, -2) == LUA_TSTRING) {
      if (lua_rawequal(L, objidx, -1)) {
        lua_pop(L, 1);  // the value; the key stays
        return 1;
      }
      if (findfield(L, objidx, level - 1)) {  // key, inner name
        lua_remove(L, -2);                    // the inner table
        lua_pushstring(L, ".");
        lua_insert(L, -2);
        lua_concat(L, 3);
        return 1;
      }
    }
    lua_pop(L, 1);
  }
  return 0;
}

}  // namespace

int luaL_globalfuncname(lua_State* L) {
  int top = lua_gettop(L);
  lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
  if (findfield(L, top, 2)) {
    lua_copy(L, -1, top);  // the name replaces the function
    lua_pop(L, 2);
    return 1;
  }
  lua_settop(L, top - 1);
  return 0;
}

void luaL_where(lua_State* L, int level) {
  lua_Debug ar;
  if (lua_getstack(L, level, &ar)) {
    lua_getinfo(L, "Sl", &ar);
    if (ar.currentline > 0) {
      lua_pushfstring(L, "%s:%d: ", ar.short_src, tovo_int2num(ar.currentline));
      tovo_set_runtime_line(L, ar.currentline);
      return;
    }
  }
  lua_pushstring(L, "");
}

int luaL_error(lua_State* L, const char* fmt, ...) {
  va_list argp;
  va_start(argp, fmt);
  luaL_where(L, 1);
  lua_pushvfstring(L, fmt, argp);
  va_end(argp);
  lua_concat(L, 2);
  lua_error(L);
}

int luaL_argerror(lua_State* L, int narg, const char* extramsg) {
  lua_Debug ar;
  if (!lua_getstack(L, 0, &ar)) luaL_error(L, "bad argument #%d (%s)", tovo_int2num(narg), extramsg);
  lua_getinfo(L, "n", &ar);
  if (std::strcmp(ar.namewhat, "method") == 0) {
    narg--;
    if (narg == 0) luaL_error(L, "calling '%s' on bad self (%s)", ar.name, extramsg);
  }
  if (ar.name == nullptr) {
    lua_getinfo(L, "f", &ar);
    ar.name = luaL_globalfuncname(L) ? lua_tostring(L, -1) : "?";
  }
  luaL_error(L, "bad argument #%d to '%s' (%s)", tovo_int2num(narg), ar.name, extramsg);
}

int luaL_typeerror(lua_State* L, int narg, const char* tname) {
  const char* msg = lua_pushfstring(L, "%s expected, got %s", tname, lua_typename(L, lua_type(L, narg)));
  luaL_argerror(L, narg, msg);
}
