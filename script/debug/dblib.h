#pragma once
// The debug library's functions, as native functions taking their
// arguments on the stack. No script table holds them; db_traceback (api.h)
// is the one the console calls.
#include "script/api/api.h"

int db_getregistry(lua_State* L);
int db_getmetatable(lua_State* L);
int db_setmetatable(lua_State* L);
int db_getuservalue(lua_State* L);
int db_setuservalue(lua_State* L);
int db_getinfo(lua_State* L);
int db_getlocal(lua_State* L);
int db_setlocal(lua_State* L);
int db_getupvalue(lua_State* L);
int db_setupvalue(lua_State* L);
int db_upvalueid(lua_State* L);
int db_upvaluejoin(lua_State* L);
// Hooks are kept in a registry table "_HKEY" with weak keys; they never run.
int db_sethook(lua_State* L);
int db_gethook(lua_State* L);
// Reads commands from standard input and runs them until "cont".
int db_debug(lua_State* L);
