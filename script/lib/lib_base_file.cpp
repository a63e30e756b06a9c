// The base functions that write to standard output or read script files:
// print, dofile and loadfile.
#include <cstdio>

#include "script/api/auxlib.h"
#include "script/lualib.h"

namespace {

int dofile_finish(lua_State* L) { return lua_gettop(L) - 1; }

}  // namespace

int luaB_print(lua_State* L) {
  int n = lua_gettop(L);
  lua_getglobal(L, "tostring");
  for (int i = 1; i <= n; i++) {
    lua_pushvalue(L, -1);
    lua_pushvalue(L, i);
    lua_call(L, 1, 1);
    size_t len = 0;
    const char* s = lua_tolstring(L, -1, &len);
    if (s == nullptr) luaL_error(L, "'tostring' must return a string to 'print'");
    if (i > 1) std::fputc('\t', stdout);
    std::fwrite(s, 1, len, stdout);
    lua_pop(L, 1);
  }
  std::fputc('\n', stdout);
  std::fflush(stdout);
  return 0;
}

int luaB_dofile(lua_State* L) {
  const char* fname = luaL_optstring(L, 1, nullptr);
  lua_settop(L, 1);
  if (luaL_loadfile(L, fname) != LUA_OK) lua_error(L);
  lua_callk(L, 0, LUA_MULTRET, 0, dofile_finish);
  return dofile_finish(L);
}

int luaB_loadfile(lua_State* L) {
  const char* fname = luaL_optstring(L, 1, nullptr);
  const char* mode = luaL_optstring(L, 2, nullptr);
  bool has_env = !lua_isnone(L, 3);
  int status = luaL_loadfilex(L, fname, mode);
  if (status == LUA_OK) {
    if (has_env) {  // the environment becomes the chunk's first upvalue
      lua_pushvalue(L, 3);
      if (!lua_setupvalue(L, -2, 1)) lua_pop(L, 1);
    }
    return 1;
  }
  lua_pushnil(L);
  lua_insert(L, -2);
  return 2;
}
