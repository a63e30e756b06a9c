// Auxiliary library: argument checks for library functions.
#include <cstring>

#include "script/api/auxlib.h"

lua_Number luaL_checknumber(lua_State* L, int narg) {
  int isnum = 0;
  lua_Number d = lua_tonumberx(L, narg, &isnum);
  if (!isnum) luaL_typeerror(L, narg, "number");
  return d;
}

lua_Number luaL_optnumber(lua_State* L, int narg, lua_Number def) {
  return lua_isnoneornil(L, narg) ? def : luaL_checknumber(L, narg);
}

lua_Integer luaL_checkinteger(lua_State* L, int narg) {
  int isnum = 0;
  lua_Integer d = lua_tointegerx(L, narg, &isnum);
  if (!isnum) luaL_typeerror(L, narg, "number");
  return d;
}

lua_Integer luaL_optinteger(lua_State* L, int narg, lua_Integer def) {
  return lua_isnoneornil(L, narg) ? def : luaL_checkinteger(L, narg);
}

lua_Unsigned luaL_checkunsigned(lua_State* L, int narg) {
  return static_cast<lua_Unsigned>(luaL_checkinteger(L, narg));
}

lua_Unsigned luaL_optunsigned(lua_State* L, int narg, lua_Unsigned def) {
  return lua_isnoneornil(L, narg) ? def : luaL_checkunsigned(L, narg);
}

const char* luaL_checklstring(lua_State* L, int narg, size_t* len) {
  const char* s = lua_tolstring(L, narg, len);
  if (s == nullptr) luaL_typeerror(L, narg, "string");
  return s;
}

const char* luaL_optlstring(lua_State* L, int narg, const char* def, size_t* len) {
  if (lua_isnoneornil(L, narg)) {
    if (len != nullptr) *len = def != nullptr ? std::strlen(def) : 0;
    return def;
  }
  return luaL_checklstring(L, narg, len);
}

void luaL_checktype(lua_State* L, int narg, int t) {
  if (lua_type(L, narg) != t) luaL_typeerror(L, narg, lua_typename(L, t));
}

void luaL_checkany(lua_State* L, int narg) {
  if (lua_type(L, narg) == LUA_TNONE) luaL_argerror(L, narg, "value expected");
}

int luaL_checkoption(lua_State* L, int narg, const char* def, const char* const lst[]) {
  const char* name = def != nullptr ? luaL_optstring(L, narg, def) : luaL_checkstring(L, narg);
  for (int i = 0; lst[i] != nullptr; i++) {
    if (std::strcmp(lst[i], name) == 0) return i;
  }
  luaL_argerror(L, narg, lua_pushfstring(L, "invalid option '%s'", name));
}

void luaL_checkstack(lua_State* L, int sz, const char* msg) {
  if (lua_checkstack(L, sz + LUA_MINSTACK)) return;
  if (msg != nullptr) luaL_error(L, "stack overflow (%s)", msg);
  luaL_error(L, "stack overflow");
}

void* luaL_testudata(lua_State* L, int ud, const char* tname) {
  void* p = lua_touserdata(L, ud);
  if (p == nullptr || !lua_getmetatable(L, ud)) return nullptr;
  luaL_getmetatable(L, tname);
  if (!lua_rawequal(L, -1, -2)) p = nullptr;
  lua_pop(L, 2);
  return p;
}

void* luaL_checkudata(lua_State* L, int ud, const char* tname) {
  void* p = luaL_testudata(L, ud, tname);
  if (p == nullptr) luaL_typeerror(L, ud, tname);
  return p;
}

void luaL_checkversion_(lua_State* L, lua_Number ver) {
  const lua_Number* v = lua_version(L);
  if (v != lua_version(nullptr)) luaL_error(L, "multiple Lua VMs detected");
  if (*v != ver) luaL_error(L, "version mismatch: app. needs %f, Lua core provides %f", ver, *v);
}
