// The package library and require, without dynamic libraries: script modules
// are found along package.path; a native module that is found cannot be
// loaded.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "script/api/auxlib.h"
#include "script/lualib.h"

namespace {

constexpr const char* DEFAULT_PATH =
    "/usr/local/share/lua/5.2/?.lua;/usr/local/share/lua/5.2/?/init.lua;"
    "/usr/local/lib/lua/5.2/?.lua;/usr/local/lib/lua/5.2/?/init.lua;./?.lua";
constexpr const char* DEFAULT_CPATH = "/usr/local/lib/lua/5.2/?.so;/usr/local/lib/lua/5.2/loadall.so;./?.so";
constexpr const char* NO_NATIVE = "dynamic libraries not enabled; check your Lua installation";
constexpr char DIRSEP[] = "/";
constexpr char PATHSEP = ';';
constexpr char MARK[] = "?";

bool readable(const char* name) {
  std::FILE* f = std::fopen(name, "r");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

// Pushes the first file that path's templates give for name, or nil with
// the list of files tried pushed above it: returns the file name or null.
const char* search_path(lua_State* L, const char* name, const char* path, const char* sep, const char* dirsep) {
  if (*sep != '\0') name = luaL_gsub(L, name, sep, dirsep);
  luaL_Buffer tried;
  luaL_buffinit(L, &tried);
  while (*path != '\0') {
    while (*path == PATHSEP) path++;
    if (*path == '\0') break;
    const char* end = std::strchr(path, PATHSEP);
    if (end == nullptr) end = path + std::strlen(path);
    lua_pushlstring(L, path, static_cast<size_t>(end - path));
    path = end;
    const char* file = luaL_gsub(L, lua_tostring(L, -1), MARK, name);
    lua_remove(L, -2);  // the template
    if (readable(file)) return file;
    lua_pushfstring(L, "\n\tno file '%s'", file);
    lua_remove(L, -2);
    luaL_addvalue(&tried);
  }
  luaL_pushresult(&tried);
  return nullptr;
}

int ll_searchpath(lua_State* L) {
  const char* f = search_path(L, luaL_checkstring(L, 1), luaL_checkstring(L, 2), luaL_optstring(L, 3, "."),
                              luaL_optstring(L, 4, DIRSEP));
  if (f != nullptr) return 1;
  lua_pushnil(L);
  lua_insert(L, -2);
  return 2;
}

int ll_loadlib(lua_State* L) {
  luaL_checkstring(L, 1);
  luaL_checkstring(L, 2);
  lua_pushnil(L);
  lua_pushstring(L, NO_NATIVE);
  lua_pushstring(L, "absent");
  return 3;
}

// The file for name along package[pname] (the package table is upvalue 1).
const char* find_file(lua_State* L, const char* name, const char* pname) {
  lua_getfield(L, lua_upvalueindex(1), pname);
  const char* path = lua_tostring(L, -1);
  if (path == nullptr) luaL_error(L, "'package.%s' must be a string", pname);
  return search_path(L, name, path, ".", DIRSEP);
}

[[noreturn]] void load_failed(lua_State* L, const char* filename) {
  luaL_error(L, "error loading module '%s' from file '%s':\n\t%s", lua_tostring(L, 1), filename, lua_tostring(L, -1));
}

int searcher_preload(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  lua_getfield(L, LUA_REGISTRYINDEX, "_PRELOAD");
  lua_getfield(L, -1, name);
  if (lua_isnil(L, -1)) lua_pushfstring(L, "\n\tno field package.preload['%s']", name);
  return 1;
}

int searcher_script(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  const char* filename = find_file(L, name, "path");
  if (filename == nullptr) return 1;  // the list of files tried
  if (luaL_loadfile(L, filename) != LUA_OK) load_failed(L, filename);
  lua_pushstring(L, filename);
  return 2;
}

// A native library that is found cannot be loaded.
int searcher_native(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  const char* filename = find_file(L, name, "cpath");
  if (filename == nullptr) return 1;
  lua_pushstring(L, NO_NATIVE);
  load_failed(L, filename);
}

// The root of a dotted name, as a native library.
int searcher_native_root(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  const char* dot = std::strchr(name, '.');
  if (dot == nullptr) return 0;
  lua_pushlstring(L, name, static_cast<size_t>(dot - name));
  const char* filename = find_file(L, lua_tostring(L, -1), "cpath");
  if (filename == nullptr) return 1;
  lua_pushstring(L, NO_NATIVE);
  load_failed(L, filename);
}

// Finds a loader for name with package.searchers: pushes it and its extra value.
void find_loader(lua_State* L, const char* name) {
  lua_getfield(L, lua_upvalueindex(1), "searchers");
  if (!lua_istable(L, 3)) luaL_error(L, "'package.searchers' must be a table");
  luaL_Buffer msg;
  luaL_buffinit(L, &msg);
  for (int i = 1;; i++) {
    lua_rawgeti(L, 3, i);
    if (lua_isnil(L, -1)) {
      lua_pop(L, 1);
      luaL_pushresult(&msg);
      luaL_error(L, "module '%s' not found:%s", name, lua_tostring(L, -1));
    }
    lua_pushstring(L, name);
    lua_call(L, 1, 2);
    if (lua_isfunction(L, -2)) return;
    if (lua_isstring(L, -2)) {
      lua_pop(L, 1);
      luaL_addvalue(&msg);
    } else {
      lua_pop(L, 2);
    }
  }
}

int ll_require(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  lua_settop(L, 1);
  lua_getfield(L, LUA_REGISTRYINDEX, "_LOADED");  // slot 2
  lua_getfield(L, 2, name);
  if (lua_toboolean(L, -1)) return 1;  // already loaded
  lua_pop(L, 1);
  find_loader(L, name);
  lua_pushstring(L, name);
  lua_insert(L, -2);  // loader, name, extra value
  lua_call(L, 2, 1);
  if (!lua_isnil(L, -1)) lua_setfield(L, 2, name);
  lua_getfield(L, 2, name);
  if (lua_isnil(L, -1)) {  // a module that returned nothing counts as true
    lua_pushboolean(L, 1);
    lua_pushvalue(L, -1);
    lua_setfield(L, 2, name);
  }
  return 1;
}

// package[field] from the first environment variable set (";;" in it stands
// for the default), or the default; the registry's "LUA_NOENV" keeps the
// environment out.
void set_path(lua_State* L, const char* field, const char* env_versioned, const char* env, const char* def) {
  const char* path = std::getenv(env_versioned);
  if (path == nullptr) path = std::getenv(env);
  lua_getfield(L, LUA_REGISTRYINDEX, "LUA_NOENV");
  bool noenv = lua_toboolean(L, -1);
  lua_pop(L, 1);
  if (path == nullptr || noenv) {
    lua_pushstring(L, def);
  } else {
    path = luaL_gsub(L, path, ";;", ";\x01;");
    luaL_gsub(L, path, "\x01", def);
    lua_remove(L, -2);
  }
  lua_setfield(L, -2, field);
}

const luaL_Reg pk_funcs[] = {
    {"loadlib", ll_loadlib},
    {"searchpath", ll_searchpath},
    {nullptr, nullptr},
};

}  // namespace

int luaopen_package(lua_State* L) {
  lua_newtable(L);
  luaL_setfuncs(L, pk_funcs, 0);
  static const lua_CFunction searchers[] = {searcher_preload, searcher_script, searcher_native, searcher_native_root};
  lua_createtable(L, 4, 0);
  for (int i = 0; i < 4; i++) {
    lua_pushvalue(L, -2);  // the package table as upvalue
    lua_pushcclosure(L, searchers[i], 1);
    lua_rawseti(L, -2, i + 1);
  }
  lua_setfield(L, -2, "searchers");
  set_path(L, "path", "LUA_PATH_5_2", "LUA_PATH", DEFAULT_PATH);
  set_path(L, "cpath", "LUA_CPATH_5_2", "LUA_CPATH", DEFAULT_CPATH);
  lua_pushstring(L, "/\n;\n?\n!\n-\n");
  lua_setfield(L, -2, "config");
  luaL_getsubtable(L, LUA_REGISTRYINDEX, "_LOADED");
  lua_setfield(L, -2, "loaded");
  luaL_getsubtable(L, LUA_REGISTRYINDEX, "_PRELOAD");
  lua_setfield(L, -2, "preload");
  lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
  lua_pushvalue(L, -2);
  lua_pushcclosure(L, ll_require, 1);
  lua_setfield(L, -2, "require");
  lua_pop(L, 1);
  return 1;
}
