// The debug library's functions (no script table opens them; the console
// calls only the traceback). Integers handed to a script are whole 16.16
// numbers, integers read from one are their integer parts.
#include <cstdio>
#include <cstring>

#include "script/api/api_access.h"
#include "script/api/auxlib.h"
#include "script/debug/dblib.h"

namespace {

constexpr const char* HOOKKEY = "_HKEY";

// The hook the library sets. Hooks are kept but never called; this marks a
// hook set from a script, as against one set from native code.
void hookf(lua_State*, lua_Debug*) {}

// An optional thread as the first argument: arg is 1 when present.
lua_State* getthread(lua_State* L, int* arg) {
  if (lua_type(L, 1) == LUA_TTHREAD) {
    *arg = 1;
    return lua_tothread(L, 1);
  }
  *arg = 0;
  return L;
}

void settabss(lua_State* L, const char* k, const char* v) {
  lua_pushstring(L, v);
  lua_setfield(L, -2, k);
}

void settabsi(lua_State* L, const char* k, int v) {
  lua_pushinteger(L, v);
  lua_setfield(L, -2, k);
}

void settabsb(lua_State* L, const char* k, int v) {
  lua_pushboolean(L, v);
  lua_setfield(L, -2, k);
}

// Moves the value lua_getinfo pushed on L1 into the result table as k.
void treatstackoption(lua_State* L, lua_State* L1, const char* k) {
  if (L == L1) {
    lua_pushvalue(L, -2);
    lua_remove(L, -3);
  } else {
    lua_xmove(L1, L, 1);
  }
  lua_setfield(L, -2, k);
}

int auxupvalue(lua_State* L, int get) {
  int n = luaL_checkinteger(L, 2);
  luaL_checktype(L, 1, LUA_TFUNCTION);
  const char* name = get ? lua_getupvalue(L, 1, n) : lua_setupvalue(L, 1, n);
  if (name == nullptr) return 0;
  lua_pushstring(L, name);
  lua_insert(L, -(get + 1));
  return get + 1;
}

int checkupval(lua_State* L, int argf, int argnup) {
  int nup = luaL_checkinteger(L, argnup);
  luaL_checktype(L, argf, LUA_TFUNCTION);
  lua_Debug ar;
  lua_pushvalue(L, argf);
  lua_getinfo(L, ">u", &ar);
  luaL_argcheck(L, 1 <= nup && nup <= ar.nups, argnup, "invalid upvalue index");
  return nup;
}

int makemask(const char* smask, int count) {
  int mask = 0;
  if (std::strchr(smask, 'c') != nullptr) mask |= LUA_MASKCALL;
  if (std::strchr(smask, 'r') != nullptr) mask |= LUA_MASKRET;
  if (std::strchr(smask, 'l') != nullptr) mask |= LUA_MASKLINE;
  if (count > 0) mask |= LUA_MASKCOUNT;
  return mask;
}

const char* unmakemask(int mask, char* smask) {
  int i = 0;
  if (mask & LUA_MASKCALL) smask[i++] = 'c';
  if (mask & LUA_MASKRET) smask[i++] = 'r';
  if (mask & LUA_MASKLINE) smask[i++] = 'l';
  smask[i] = '\0';
  return smask;
}

}  // namespace

int db_getregistry(lua_State* L) {
  lua_pushvalue(L, LUA_REGISTRYINDEX);
  return 1;
}

int db_getmetatable(lua_State* L) {
  luaL_checkany(L, 1);
  if (!lua_getmetatable(L, 1)) lua_pushnil(L);
  return 1;
}

int db_setmetatable(lua_State* L) {
  int t = lua_type(L, 2);
  luaL_argcheck(L, t == LUA_TNIL || t == LUA_TTABLE, 2, "nil or table expected");
  lua_settop(L, 2);
  lua_setmetatable(L, 1);
  return 1;
}

int db_getuservalue(lua_State* L) {
  if (lua_type(L, 1) != LUA_TUSERDATA) {
    lua_pushnil(L);
  } else {
    lua_getuservalue(L, 1);
  }
  return 1;
}

int db_setuservalue(lua_State* L) {
  if (lua_type(L, 1) == LUA_TLIGHTUSERDATA) luaL_argerror(L, 1, "full userdata expected, got light userdata");
  luaL_checktype(L, 1, LUA_TUSERDATA);
  if (!lua_isnoneornil(L, 2)) luaL_checktype(L, 2, LUA_TTABLE);
  lua_settop(L, 2);
  lua_setuservalue(L, 1);
  return 1;
}

int db_getinfo(lua_State* L) {
  lua_Debug ar;
  int arg;
  lua_State* L1 = getthread(L, &arg);
  const char* options = luaL_optstring(L, arg + 2, "flnStu");
  if (lua_isnumber(L, arg + 1)) {
    if (!lua_getstack(L1, lua_tointeger(L, arg + 1), &ar)) {
      lua_pushnil(L);  // no frame at that level
      return 1;
    }
  } else if (lua_isfunction(L, arg + 1)) {
    lua_pushfstring(L, ">%s", options);
    options = lua_tostring(L, -1);
    lua_pushvalue(L, arg + 1);
    lua_xmove(L, L1, 1);
  } else {
    return luaL_argerror(L, arg + 1, "function or level expected");
  }
  if (!lua_getinfo(L1, options, &ar)) return luaL_argerror(L, arg + 2, "invalid option");
  lua_createtable(L, 0, 2);
  if (std::strchr(options, 'S') != nullptr) {
    settabss(L, "source", ar.source);
    settabss(L, "short_src", ar.short_src);
    settabsi(L, "linedefined", ar.linedefined);
    settabsi(L, "lastlinedefined", ar.lastlinedefined);
    settabss(L, "what", ar.what);
  }
  if (std::strchr(options, 'l') != nullptr) settabsi(L, "currentline", ar.currentline);
  if (std::strchr(options, 'u') != nullptr) {
    settabsi(L, "nups", ar.nups);
    settabsi(L, "nparams", ar.nparams);
    settabsb(L, "isvararg", ar.isvararg);
  }
  if (std::strchr(options, 'n') != nullptr) {
    settabss(L, "name", ar.name);
    settabss(L, "namewhat", ar.namewhat);
  }
  if (std::strchr(options, 't') != nullptr) settabsb(L, "istailcall", ar.istailcall);
  if (std::strchr(options, 'L') != nullptr) treatstackoption(L, L1, "activelines");
  if (std::strchr(options, 'f') != nullptr) treatstackoption(L, L1, "func");
  return 1;
}

int db_getlocal(lua_State* L) {
  int arg;
  lua_State* L1 = getthread(L, &arg);
  int nvar = luaL_checkinteger(L, arg + 2);
  if (lua_isfunction(L, arg + 1)) {  // a parameter name of a function that is not running
    lua_pushvalue(L, arg + 1);
    lua_pushstring(L, lua_getlocal(L, nullptr, nvar));
    return 1;
  }
  lua_Debug ar;
  if (!lua_getstack(L1, luaL_checkinteger(L, arg + 1), &ar)) return luaL_argerror(L, arg + 1, "level out of range");
  const char* name = lua_getlocal(L1, &ar, nvar);
  if (name == nullptr) {
    lua_pushnil(L);
    return 1;
  }
  lua_xmove(L1, L, 1);
  lua_pushstring(L, name);
  lua_pushvalue(L, -2);
  return 2;
}

int db_setlocal(lua_State* L) {
  int arg;
  lua_State* L1 = getthread(L, &arg);
  lua_Debug ar;
  if (!lua_getstack(L1, luaL_checkinteger(L, arg + 1), &ar)) return luaL_argerror(L, arg + 1, "level out of range");
  luaL_checkany(L, arg + 3);
  lua_settop(L, arg + 3);
  lua_xmove(L, L1, 1);
  lua_pushstring(L, lua_setlocal(L1, &ar, luaL_checkinteger(L, arg + 2)));
  return 1;
}

int db_getupvalue(lua_State* L) { return auxupvalue(L, 1); }

int db_setupvalue(lua_State* L) {
  luaL_checkany(L, 3);
  return auxupvalue(L, 0);
}

int db_upvalueid(lua_State* L) {
  int n = checkupval(L, 1, 2);
  lua_pushlightuserdata(L, lua_upvalueid(L, 1, n));
  return 1;
}

int db_upvaluejoin(lua_State* L) {
  int n1 = checkupval(L, 1, 2);
  int n2 = checkupval(L, 3, 4);
  // Native functions, fast ones too, have no upvalues to join.
  luaL_argcheck(L, !lua_iscfunction(L, 1), 1, "Lua function expected");
  luaL_argcheck(L, !lua_iscfunction(L, 3), 3, "Lua function expected");
  lua_upvaluejoin(L, 1, n1, 3, n2);
  return 0;
}

int db_sethook(lua_State* L) {
  int arg;
  lua_State* L1 = getthread(L, &arg);
  lua_Hook func = nullptr;
  int mask = 0, count = 0;
  if (lua_isnoneornil(L, arg + 1)) {
    lua_settop(L, arg + 1);  // turns hooks off
  } else {
    const char* smask = luaL_checkstring(L, arg + 2);
    luaL_checktype(L, arg + 1, LUA_TFUNCTION);
    count = luaL_optinteger(L, arg + 3, 0);
    func = hookf;
    mask = makemask(smask, count);
  }
  if (luaL_getsubtable(L, LUA_REGISTRYINDEX, HOOKKEY) == 0) {  // a new table: weak keys
    lua_pushstring(L, "k");
    lua_setfield(L, -2, "__mode");
    lua_pushvalue(L, -1);
    lua_setmetatable(L, -2);
  }
  lua_pushthread(L1);
  lua_xmove(L1, L, 1);
  lua_pushvalue(L, arg + 1);
  lua_rawset(L, -3);  // hooks[thread] = the hook function
  lua_sethook(L1, func, mask, count);
  return 0;
}

int db_gethook(lua_State* L) {
  int arg;
  lua_State* L1 = getthread(L, &arg);
  int mask = lua_gethookmask(L1);
  lua_Hook hook = lua_gethook(L1);
  if (hook != nullptr && hook != hookf) {
    lua_pushstring(L, "external hook");
  } else {
    luaL_getsubtable(L, LUA_REGISTRYINDEX, HOOKKEY);
    lua_pushthread(L1);
    lua_xmove(L1, L, 1);
    lua_rawget(L, -2);
    lua_remove(L, -2);
  }
  char buff[5];
  lua_pushstring(L, unmakemask(mask, buff));
  lua_pushinteger(L, lua_gethookcount(L1));
  return 3;
}

int db_debug(lua_State* L) {
  for (;;) {
    char buffer[250];
    std::fputs("lua_debug> ", stderr);
    std::fflush(stderr);
    if (std::fgets(buffer, sizeof buffer, stdin) == nullptr || std::strcmp(buffer, "cont\n") == 0) return 0;
    if (luaL_loadbuffer(L, buffer, std::strlen(buffer), "=(debug command)") != LUA_OK ||
        lua_pcall(L, 0, 0, 0) != LUA_OK) {
      const char* msg = lua_tostring(L, -1);
      std::fprintf(stderr, "%s\n", msg != nullptr ? msg : "(error object is not a string)");
      std::fflush(stderr);
    }
    lua_settop(L, 0);
  }
}
