// The openers of the base, coroutine, io and debug libraries, and the
// one call that opens all ten libraries for a host that wants them.
#include "script/api/auxlib.h"
#include "script/debug/dblib.h"
#include "script/lib/lib_base.h"
#include "script/lualib.h"

namespace {

const luaL_Reg base_funcs[] = {
    {"assert", luaB_assert},
    {"collectgarbage", luaB_collectgarbage},
    {"dofile", luaB_dofile},
    {"error", luaB_error},
    {"getmetatable", luaB_getmetatable},
    {"ipairs", luaB_ipairs},
    {"loadfile", luaB_loadfile},
    {"load", luaB_load},
    {"next", luaB_next},
    {"pairs", luaB_pairs},
    {"pcall", luaB_pcall},
    {"print", luaB_print},
    {"rawequal", luaB_rawequal},
    {"rawlen", luaB_rawlen},
    {"rawget", luaB_rawget},
    {"rawset", luaB_rawset},
    {"select", luaB_select},
    {"setmetatable", luaB_setmetatable},
    {"tonumber", luaB_tonumber},
    {"tostring", luaB_tostring},
    {"type", luaB_type},
    {"xpcall", luaB_xpcall},
    {nullptr, nullptr},
};

const luaL_Reg co_funcs[] = {
    {"create", luaB_cocreate}, {"resume", luaB_coresume}, {"running", luaB_corunning}, {"status", luaB_costatus},
    {"wrap", luaB_cowrap},     {"yield", luaB_yield},     {nullptr, nullptr},
};

const luaL_Reg dblib_funcs[] = {
    {"debug", db_debug},
    {"getuservalue", db_getuservalue},
    {"gethook", db_gethook},
    {"getinfo", db_getinfo},
    {"getlocal", db_getlocal},
    {"getregistry", db_getregistry},
    {"getmetatable", db_getmetatable},
    {"getupvalue", db_getupvalue},
    {"upvaluejoin", db_upvaluejoin},
    {"upvalueid", db_upvalueid},
    {"setuservalue", db_setuservalue},
    {"sethook", db_sethook},
    {"setlocal", db_setlocal},
    {"setmetatable", db_setmetatable},
    {"setupvalue", db_setupvalue},
    {"traceback", db_traceback},
    {nullptr, nullptr},
};

int new_library(lua_State* L, const luaL_Reg* funcs) {
  lua_newtable(L);
  luaL_setfuncs(L, funcs, 0);
  return 1;
}

}  // namespace

int luaopen_base(lua_State* L) {
  lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
  lua_pushvalue(L, -1);
  lua_setfield(L, -2, "_G");
  luaL_setfuncs(L, base_funcs, 0);
  lua_pushstring(L, "Lua 5.2");
  lua_setfield(L, -2, "_VERSION");
  return 1;
}

int luaopen_coroutine(lua_State* L) { return new_library(L, co_funcs); }
int luaopen_io(lua_State*) { return 0; }
int luaopen_debug(lua_State* L) { return new_library(L, dblib_funcs); }

void luaL_openalllibs(lua_State* L) {
  static const luaL_Reg libs[] = {
      {"_G", luaopen_base},   {"package", luaopen_package}, {"coroutine", luaopen_coroutine}, {"table", luaopen_table},
      {"io", luaopen_io},     {"os", luaopen_os},           {"string", luaopen_string},       {"bit32", luaopen_bit32},
      {"math", luaopen_math}, {"debug", luaopen_debug},
  };
  for (const luaL_Reg& lib : libs) {
    luaL_requiref(L, lib.name, lib.func, 1);
    lua_pop(L, 1);
  }
}
