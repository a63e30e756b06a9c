#pragma once
// The library functions that carts can reach (registered one by one as
// globals by the console), and the rest of the base and coroutine functions
// that the runtime offers. Each is a native function of the native interface.
#include "script/api/api.h"

// ---- base ----
int luaB_next(lua_State* L);
int luaB_select(lua_State* L);
int luaB_type(lua_State* L);
int luaB_getmetatable(lua_State* L);
int luaB_setmetatable(lua_State* L);
int luaB_rawequal(lua_State* L);
int luaB_rawlen(lua_State* L);
int luaB_rawget(lua_State* L);
int luaB_rawset(lua_State* L);
// Hands the state's host its message before it raises.
int luaB_assert(lua_State* L);
int luaB_pairs(lua_State* L);
int luaB_ipairs(lua_State* L);
int luaB_tostring(lua_State* L);
int luaB_tonumber(lua_State* L);
int luaB_error(lua_State* L);
int luaB_pcall(lua_State* L);
int luaB_xpcall(lua_State* L);
int luaB_collectgarbage(lua_State* L);
int luaB_load(lua_State* L);

// ---- coroutines ----
int luaB_cocreate(lua_State* L);
// Errors of the resume step itself come back prefixed with "corolib: ".
int luaB_coresume(lua_State* L);
int luaB_costatus(lua_State* L);
int luaB_yield(lua_State* L);
int luaB_corunning(lua_State* L);
int luaB_cowrap(lua_State* L);

// ---- tables (the console's own semantics, with their cycle charges) ----
int tinsert(lua_State* L);  // "add"
int tremove(lua_State* L);  // "deli"
int tdel(lua_State* L);     // "del"
int tcount(lua_State* L);   // "count"
int pack(lua_State* L);
int unpack(lua_State* L);
