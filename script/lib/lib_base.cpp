// Base functions: traversal, selection, types, metatables, raw access,
// assert and conversion to text.
#include "script/lib/lib_base.h"
#include "script/api/auxlib.h"
#include "script/console_services.h"

namespace {

int ipairsaux(lua_State* L) {
  int i = luaL_checkinteger(L, 2);
  luaL_checktype(L, 1, LUA_TTABLE);
  i++;
  lua_pushinteger(L, i);
  lua_rawgeti(L, 1, i);
  return lua_isnil(L, -1) ? 1 : 2;
}

// pairs and ipairs: the metamethod's first three results, else the iterator,
// the table and the start key.
int pairsmeta(lua_State* L, const char* method, bool iszero, lua_CFunction iter) {
  if (!luaL_getmetafield(L, 1, method)) {
    luaL_checktype(L, 1, LUA_TTABLE);
    lua_pushcfunction(L, iter);
    lua_pushvalue(L, 1);
    if (iszero) {
      lua_pushinteger(L, 0);
    } else {
      lua_pushnil(L);
    }
  } else {
    lua_pushvalue(L, 1);
    lua_call(L, 1, 3);
  }
  return 3;
}

}  // namespace

int luaB_next(lua_State* L) {
  luaL_checktype(L, 1, LUA_TTABLE);
  lua_settop(L, 2);
  if (lua_next(L, 1)) return 2;
  lua_pushnil(L);
  return 1;
}

int luaB_pairs(lua_State* L) { return pairsmeta(L, "__pairs", false, luaB_next); }

int luaB_ipairs(lua_State* L) { return pairsmeta(L, "__ipairs", true, ipairsaux); }

int luaB_select(lua_State* L) {
  int n = lua_gettop(L);
  if (lua_type(L, 1) == LUA_TSTRING && *lua_tostring(L, 1) == '#') {
    lua_pushinteger(L, n - 1);
    return 1;
  }
  int i = luaL_checkinteger(L, 1);
  if (i < 0) {
    i = n + i;
  } else if (i > n) {
    i = n;
  }
  luaL_argcheck(L, 1 <= i, 1, "index out of range");
  return n - i;
}

int luaB_type(lua_State* L) {
  luaL_checkany(L, 1);
  lua_pushtypename(L, lua_type(L, 1));
  return 1;
}

int luaB_getmetatable(lua_State* L) {
  luaL_checkany(L, 1);
  if (!lua_getmetatable(L, 1)) {
    lua_pushnil(L);
    return 1;
  }
  luaL_getmetafield(L, 1, "__metatable");
  return 1;  // the protecting field when there is one, else the metatable
}

int luaB_setmetatable(lua_State* L) {
  int t = lua_type(L, 2);
  luaL_checktype(L, 1, LUA_TTABLE);
  luaL_argcheck(L, t == LUA_TNIL || t == LUA_TTABLE, 2, "nil or table expected");
  if (luaL_getmetafield(L, 1, "__metatable")) luaL_error(L, "cannot change a protected metatable");
  lua_settop(L, 2);
  lua_setmetatable(L, 1);
  return 1;
}

int luaB_rawequal(lua_State* L) {
  luaL_checkany(L, 1);
  luaL_checkany(L, 2);
  lua_pushboolean(L, lua_rawequal(L, 1, 2));
  return 1;
}

int luaB_rawlen(lua_State* L) {
  int t = lua_type(L, 1);
  luaL_argcheck(L, t == LUA_TTABLE || t == LUA_TSTRING, 1, "table or string expected");
  lua_pushinteger(L, static_cast<int>(lua_rawlen(L, 1)));
  return 1;
}

int luaB_rawget(lua_State* L) {
  luaL_checktype(L, 1, LUA_TTABLE);
  luaL_checkany(L, 2);
  lua_settop(L, 2);
  lua_rawget(L, 1);
  return 1;
}

int luaB_rawset(lua_State* L) {
  luaL_checktype(L, 1, LUA_TTABLE);
  luaL_checkany(L, 2);
  luaL_checkany(L, 3);
  lua_settop(L, 3);
  lua_rawset(L, 1);
  return 1;
}

int luaB_assert(lua_State* L) {
  if (lua_toboolean(L, 1)) return lua_gettop(L);
  lua_gethost(L)->assert_message(lua_gettop(L) >= 2 ? lua_tolstring(L, 2, nullptr) : "");
  luaL_error(L, "%s", luaL_optstring(L, 2, "assertion failed!"));
}

int luaB_tostring(lua_State* L) {
  luaL_checkany(L, 1);
  luaL_tolstring(L, 1, nullptr);
  return 1;
}
