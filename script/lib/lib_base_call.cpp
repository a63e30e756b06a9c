// Base functions: errors, protected calls, number conversion, the collector
// and loading chunks.
#include <cctype>
#include <cstring>

#include "script/api/auxlib.h"
#include "script/lib/lib_base.h"
#include "script/value/number.h"

namespace {

constexpr const char* SPACECHARS = " \f\n\r\t\v";
constexpr int RESERVEDSLOT = 5;  // load: where the reader keeps its last piece

int finishpcall(lua_State* L, int status) {
  if (!lua_checkstack(L, 1)) {  // no room for the status
    lua_settop(L, 0);
    lua_pushboolean(L, 0);
    lua_pushstring(L, "stack overflow");
    return 2;
  }
  lua_pushboolean(L, status);
  lua_replace(L, 1);
  return lua_gettop(L);
}

int pcallcont(lua_State* L) {
  int status = lua_getctx(L, nullptr);
  return finishpcall(L, status == LUA_YIELD);
}

// Reads the pieces of a chunk from the function in slot 1.
const char* generic_reader(lua_State* L, void*, size_t* size) {
  luaL_checkstack(L, 2, "too many nested functions");
  lua_pushvalue(L, 1);
  lua_call(L, 0, 1);
  if (lua_isnil(L, -1)) {
    lua_pop(L, 1);
    *size = 0;
    return nullptr;
  }
  if (!lua_isstring(L, -1)) luaL_error(L, "reader function must return a string");
  lua_replace(L, RESERVEDSLOT);
  return lua_tolstring(L, RESERVEDSLOT, size);
}

// The whole text s in base as a number; false when it is not one.
bool to_integer_in_base(const char* s, size_t len, int base, int32_t* out) {
  const char* e = s + len;
  s += std::strspn(s, SPACECHARS);
  bool neg = false;
  if (*s == '-') {
    s++;
    neg = true;
  } else if (*s == '+') {
    s++;
  }
  if (!std::isalnum(static_cast<unsigned char>(*s))) return false;
  uint32_t n = 0;
  do {
    unsigned char c = static_cast<unsigned char>(*s);
    int digit = std::isdigit(c) ? c - '0' : std::toupper(c) - 'A' + 10;
    if (digit >= base) return false;
    n = n * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
    s++;
  } while (std::isalnum(static_cast<unsigned char>(*s)));
  s += std::strspn(s, SPACECHARS);
  if (s != e) return false;
  *out = static_cast<int32_t>(neg ? 0u - n : n);
  return true;
}

}  // namespace

int luaB_error(lua_State* L) {
  int level = luaL_optinteger(L, 2, 1);
  lua_settop(L, 1);
  if (lua_isstring(L, 1) && level > 0) {  // a position in front of the message
    luaL_where(L, level);
    lua_pushvalue(L, 1);
    lua_concat(L, 2);
  }
  lua_error(L);
}

int luaB_pcall(lua_State* L) {
  luaL_checkany(L, 1);
  lua_pushnil(L);
  lua_insert(L, 1);  // room for the status
  int status = lua_pcallk(L, lua_gettop(L) - 2, LUA_MULTRET, 0, 0, pcallcont);
  return finishpcall(L, status == LUA_OK);
}

int luaB_xpcall(lua_State* L) {
  int n = lua_gettop(L);
  luaL_argcheck(L, n >= 2, 2, "value expected");
  lua_pushvalue(L, 1);  // swaps the function and the message handler
  lua_copy(L, 2, 1);
  lua_replace(L, 2);
  int status = lua_pcallk(L, n - 2, LUA_MULTRET, 1, 0, pcallcont);
  return finishpcall(L, status == LUA_OK);
}

int luaB_tonumber(lua_State* L) {
  if (lua_isnoneornil(L, 2)) {
    int isnum = 0;
    lua_Number n = lua_tonumberx(L, 1, &isnum);
    if (isnum) {
      lua_pushnumber(L, n);
      return 1;
    }
    luaL_checkany(L, 1);
  } else {
    size_t l = 0;
    const char* s = luaL_checklstring(L, 1, &l);
    int base = luaL_checkinteger(L, 2);
    luaL_argcheck(L, 2 <= base && base <= 36, 2, "base out of range");
    int32_t n = 0;
    if (to_integer_in_base(s, l, base, &n)) {
      lua_pushinteger(L, n);
      return 1;
    }
  }
  lua_pushnil(L);
  return 1;
}

int luaB_collectgarbage(lua_State* L) {
  static const char* const opts[] = {"stop",      "restart",      "collect",     "count",
                                     "step",      "setpause",     "setstepmul",  "setmajorinc",
                                     "isrunning", "generational", "incremental", nullptr};
  static const int optsnum[] = {LUA_GCSTOP,      LUA_GCRESTART,  LUA_GCCOLLECT,    LUA_GCCOUNT,
                                LUA_GCSTEP,      LUA_GCSETPAUSE, LUA_GCSETSTEPMUL, LUA_GCSETMAJORINC,
                                LUA_GCISRUNNING, LUA_GCGEN,      LUA_GCINC};
  int o = optsnum[luaL_checkoption(L, 1, "collect", opts)];
  int ex = luaL_optinteger(L, 2, 0);
  int res = lua_gc(L, o, ex);
  switch (o) {
    case LUA_GCCOUNT:
      lua_pushinteger(L, res);
      lua_pushinteger(L, lua_gc(L, LUA_GCCOUNTB, 0));
      return 2;
    case LUA_GCSTEP:
    case LUA_GCISRUNNING: lua_pushboolean(L, res); return 1;
    default: lua_pushinteger(L, res); return 1;
  }
}

int luaB_load(lua_State* L) {
  int top = lua_gettop(L);
  size_t l = 0;
  const char* s = lua_tolstring(L, 1, &l);
  // Text only unless the caller asks for binary chunks by the mode.
  const char* mode = luaL_optstring(L, 3, "t");
  int status;
  if (s != nullptr) {
    const char* chunkname = luaL_optstring(L, 2, s);
    status = luaL_loadbufferx(L, s, l, chunkname, mode);
  } else {
    const char* chunkname = luaL_optstring(L, 2, "=(load)");
    luaL_checktype(L, 1, LUA_TFUNCTION);
    lua_settop(L, RESERVEDSLOT);
    status = lua_load(L, generic_reader, nullptr, chunkname, mode);
  }
  if (status == LUA_OK && top >= 4) {  // an environment for the first upvalue
    lua_pushvalue(L, 4);
    if (!lua_setupvalue(L, -2, 1)) lua_pop(L, 1);
  }
  if (status == LUA_OK) return 1;
  lua_pushnil(L);
  lua_insert(L, -2);  // nil, message
  return 2;
}
