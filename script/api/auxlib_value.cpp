// Auxiliary library: lengths, values as text, metatables by name, module
// tables, references and host results.
#include <cerrno>
#include <cstring>

#include "script/api/auxlib.h"

int luaL_len(lua_State* L, int idx) {
  lua_len(L, idx);
  int isnum = 0;
  int l = lua_tointegerx(L, -1, &isnum);
  if (!isnum) luaL_error(L, "object length is not a number");
  lua_pop(L, 1);
  return l;
}

const char* luaL_tolstring(lua_State* L, int idx, size_t* len) {
  if (!luaL_callmeta(L, idx, "__tostring")) {
    switch (lua_type(L, idx)) {
      case LUA_TNUMBER:
      case LUA_TSTRING: lua_pushvalue(L, idx); break;
      case LUA_TBOOLEAN: lua_pushstring(L, lua_toboolean(L, idx) ? "true" : "false"); break;
      case LUA_TNIL: lua_pushstring(L, "nil"); break;
      default: lua_pushfstring(L, "%s: %p", lua_typename(L, lua_type(L, idx)), lua_topointer(L, idx)); break;
    }
  }
  return lua_tolstring(L, -1, len);
}

int luaL_getmetafield(lua_State* L, int obj, const char* e) {
  if (!lua_getmetatable(L, obj)) return 0;
  lua_pushstring(L, e);
  lua_rawget(L, -2);
  if (lua_isnil(L, -1)) {
    lua_pop(L, 2);
    return 0;
  }
  lua_remove(L, -2);  // the metatable
  return 1;
}

int luaL_callmeta(lua_State* L, int obj, const char* e) {
  obj = lua_absindex(L, obj);
  if (!luaL_getmetafield(L, obj, e)) return 0;
  lua_pushvalue(L, obj);
  lua_call(L, 1, 1);
  return 1;
}

int luaL_newmetatable(lua_State* L, const char* tname) {
  luaL_getmetatable(L, tname);
  if (!lua_isnil(L, -1)) return 0;
  lua_pop(L, 1);
  lua_newtable(L);
  lua_pushvalue(L, -1);
  lua_setfield(L, LUA_REGISTRYINDEX, tname);
  return 1;
}

void luaL_setmetatable(lua_State* L, const char* tname) {
  luaL_getmetatable(L, tname);
  lua_setmetatable(L, -2);
}

int luaL_getsubtable(lua_State* L, int idx, const char* fname) {
  lua_getfield(L, idx, fname);
  if (lua_istable(L, -1)) return 1;
  lua_pop(L, 1);
  idx = lua_absindex(L, idx);
  lua_newtable(L);
  lua_pushvalue(L, -1);
  lua_setfield(L, idx, fname);
  return 0;
}

void luaL_setfuncs(lua_State* L, const luaL_Reg* l, int nup) {
  luaL_checkstack(L, nup, "too many upvalues");
  for (; l->name != nullptr; l++) {
    for (int i = 0; i < nup; i++) lua_pushvalue(L, -nup);
    lua_pushcclosure(L, l->func, nup);
    lua_setfield(L, -(nup + 2), l->name);
  }
  lua_pop(L, nup);
}

void luaL_requiref(lua_State* L, const char* modname, lua_CFunction openf, int glb) {
  lua_pushcfunction(L, openf);
  lua_pushstring(L, modname);
  lua_call(L, 1, 1);
  luaL_getsubtable(L, LUA_REGISTRYINDEX, "_LOADED");
  lua_pushvalue(L, -2);
  lua_setfield(L, -2, modname);
  lua_pop(L, 1);
  if (glb) {
    lua_pushvalue(L, -1);
    lua_setglobal(L, modname);
  }
}

const char* luaL_gsub(lua_State* L, const char* s, const char* p, const char* r) {
  size_t l = std::strlen(p);
  luaL_Buffer b;
  luaL_buffinit(L, &b);
  const char* wild;
  while (l > 0 && (wild = std::strstr(s, p)) != nullptr) {
    luaL_addlstring(&b, s, static_cast<size_t>(wild - s));
    luaL_addstring(&b, r);
    s = wild + l;
  }
  luaL_addstring(&b, s);
  luaL_pushresult(&b);
  return lua_tostring(L, -1);
}

int luaL_fileresult(lua_State* L, int stat, const char* fname) {
  int en = errno;
  if (stat) {
    lua_pushboolean(L, 1);
    return 1;
  }
  lua_pushnil(L);
  if (fname != nullptr) {
    lua_pushfstring(L, "%s: %s", fname, std::strerror(en));
  } else {
    lua_pushstring(L, std::strerror(en));
  }
  lua_pushinteger(L, en);
  return 3;
}

int luaL_execresult(lua_State* L, int stat) {
  if (stat == -1) return luaL_fileresult(L, 0, nullptr);
  if (stat == 0) {
    lua_pushboolean(L, 1);
  } else {
    lua_pushnil(L);
  }
  lua_pushstring(L, "exit");
  lua_pushinteger(L, stat);
  return 3;
}

int luaL_ref(lua_State* L, int t) {
  if (lua_isnil(L, -1)) {
    lua_pop(L, 1);
    return LUA_REFNIL;
  }
  t = lua_absindex(L, t);
  lua_rawgeti(L, t, 0);  // the head of the free list
  int ref = lua_tointeger(L, -1);
  lua_pop(L, 1);
  if (ref != 0) {  // reuse a released reference
    lua_rawgeti(L, t, ref);
    lua_rawseti(L, t, 0);
  } else {
    ref = static_cast<int>(lua_rawlen(L, t)) + 1;
  }
  lua_rawseti(L, t, ref);
  return ref;
}

void luaL_unref(lua_State* L, int t, int ref) {
  if (ref < 0) return;
  t = lua_absindex(L, t);
  lua_rawgeti(L, t, 0);
  lua_rawseti(L, t, ref);  // t[ref] = the old head
  lua_pushinteger(L, ref);
  lua_rawseti(L, t, 0);  // the head = ref
}
