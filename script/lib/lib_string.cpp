// The string library: lengths, slices, case, repetition, bytes and binary
// chunks, and its opener, which also gives strings their metatable. Lengths,
// positions and bytes are whole numbers.
#include <cctype>
#include <cstdint>
#include <cstring>

#include "script/api/auxlib.h"
#include "script/lib/lib_string.h"
#include "script/lualib.h"

namespace {

int str_len(lua_State* L) {
  size_t l = 0;
  luaL_checklstring(L, 1, &l);
  lua_pushinteger(L, static_cast<int>(l));
  return 1;
}

int str_sub(lua_State* L) {
  size_t l = 0;
  const char* s = luaL_checklstring(L, 1, &l);
  size_t first = str_position(luaL_checkinteger(L, 2), l);
  size_t last = str_position(luaL_optinteger(L, 3, -1), l);
  if (first < 1) first = 1;
  if (last > l) last = l;
  if (first <= last) {
    lua_pushlstring(L, s + first - 1, last - first + 1);
  } else {
    lua_pushstring(L, "");
  }
  return 1;
}

int str_reverse(lua_State* L) {
  size_t l = 0;
  const char* s = luaL_checklstring(L, 1, &l);
  luaL_Buffer b;
  char* out = luaL_buffinitsize(L, &b, l);
  for (size_t i = 0; i < l; i++) out[i] = s[l - 1 - i];
  luaL_pushresultsize(&b, l);
  return 1;
}

int change_case(lua_State* L, int (*convert)(int)) {
  size_t l = 0;
  const char* s = luaL_checklstring(L, 1, &l);
  luaL_Buffer b;
  char* out = luaL_buffinitsize(L, &b, l);
  for (size_t i = 0; i < l; i++) out[i] = static_cast<char>(convert(static_cast<unsigned char>(s[i])));
  luaL_pushresultsize(&b, l);
  return 1;
}

int str_lower(lua_State* L) {
  return change_case(L, [](int c) { return std::tolower(c); });
}
int str_upper(lua_State* L) {
  return change_case(L, [](int c) { return std::toupper(c); });
}

int str_rep(lua_State* L) {
  size_t l = 0, lsep = 0;
  const char* s = luaL_checklstring(L, 1, &l);
  int n = luaL_checkinteger(L, 2);
  const char* sep = luaL_optlstring(L, 3, "", &lsep);
  if (n <= 0) {
    lua_pushstring(L, "");
    return 1;
  }
  constexpr size_t max_size = static_cast<size_t>(INT32_MAX);
  size_t count = static_cast<size_t>(n);
  if (l + lsep < l || l + lsep > max_size / count) luaL_error(L, "resulting string too large");
  size_t total = count * l + (count - 1) * lsep;
  luaL_Buffer b;
  char* out = luaL_buffinitsize(L, &b, total);
  for (size_t i = 0; i < count; i++) {
    if (i > 0) {
      std::memcpy(out, sep, lsep);
      out += lsep;
    }
    std::memcpy(out, s, l);
    out += l;
  }
  luaL_pushresultsize(&b, total);
  return 1;
}

int str_byte(lua_State* L) {
  size_t l = 0;
  const char* s = luaL_checklstring(L, 1, &l);
  size_t first = str_position(luaL_optinteger(L, 2, 1), l);
  size_t last = str_position(luaL_optinteger(L, 3, static_cast<int>(first)), l);
  if (first < 1) first = 1;
  if (last > l) last = l;
  if (first > last) return 0;
  if (last - first >= static_cast<size_t>(INT32_MAX)) luaL_error(L, "string slice too long");
  int n = static_cast<int>(last - first + 1);
  luaL_checkstack(L, n, "string slice too long");
  for (int i = 0; i < n; i++) lua_pushinteger(L, static_cast<unsigned char>(s[first + i - 1]));
  return n;
}

int str_char(lua_State* L) {
  int n = lua_gettop(L);
  luaL_Buffer b;
  char* out = luaL_buffinitsize(L, &b, static_cast<size_t>(n));
  for (int i = 1; i <= n; i++) {
    int c = luaL_checkinteger(L, i);
    luaL_argcheck(L, c >= 0 && c <= 255, i, "value out of range");
    out[i - 1] = static_cast<char>(c);
  }
  luaL_pushresultsize(&b, static_cast<size_t>(n));
  return 1;
}

int dump_writer(lua_State*, const void* p, size_t size, void* ud) {
  luaL_addlstring(static_cast<luaL_Buffer*>(ud), static_cast<const char*>(p), size);
  return 0;
}

int str_dump(lua_State* L) {
  luaL_checktype(L, 1, LUA_TFUNCTION);
  lua_settop(L, 1);
  luaL_Buffer b;
  luaL_buffinit(L, &b);
  if (lua_dump(L, dump_writer, &b) != 0) luaL_error(L, "unable to dump given function");
  luaL_pushresult(&b);
  return 1;
}

const luaL_Reg strlib[] = {
    {"byte", str_byte},     {"char", str_char},       {"dump", str_dump}, {"find", str_find},   {"format", str_format},
    {"gmatch", str_gmatch}, {"gsub", str_gsub},       {"len", str_len},   {"lower", str_lower}, {"match", str_match},
    {"rep", str_rep},       {"reverse", str_reverse}, {"sub", str_sub},   {"upper", str_upper}, {nullptr, nullptr},
};

}  // namespace

int luaopen_string(lua_State* L) {
  lua_newtable(L);
  luaL_setfuncs(L, strlib, 0);
  lua_createtable(L, 0, 1);  // the metatable of every string
  lua_pushstring(L, "");
  lua_pushvalue(L, -2);
  lua_setmetatable(L, -2);
  lua_pop(L, 1);
  lua_pushvalue(L, -2);
  lua_setfield(L, -2, "__index");
  lua_pop(L, 1);
  return 1;
}
