#pragma once
// The standard libraries that the runtime carries for hosts that want them
// (the script runner's switch). Each opener pushes its library table; carts
// get none of them, and luaL_openlibs opens nothing.
#include "script/api/api.h"

int luaopen_base(lua_State* L);  // the globals table, with "_G" and "_VERSION"
int luaopen_coroutine(lua_State* L);
int luaopen_table(lua_State* L);
int luaopen_io(lua_State* L);  // there is no io library: pushes nothing
int luaopen_os(lua_State* L);
int luaopen_string(lua_State* L);  // strings get a metatable indexing the table
int luaopen_bit32(lua_State* L);
int luaopen_math(lua_State* L);
int luaopen_debug(lua_State* L);
int luaopen_package(lua_State* L);  // also the global "require"

// Opens all ten as globals (and in package.loaded).
void luaL_openalllibs(lua_State* L);

// Base functions that only the opened base library holds.
int luaB_print(lua_State* L);
int luaB_dofile(lua_State* L);
int luaB_loadfile(lua_State* L);
