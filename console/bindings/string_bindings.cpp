// String and value bindings: tostr, tonum, sub, chr, ord and split.
#include <cstdio>
#include <cstring>

#include "console/bindings/api_bindings.h"
#include "console/bindings/bindings_error.h"
#include "console/run/spend_cpu.h"
#include "script/api/api.h"
#include "script/api/api_access.h"
#include "script/api/auxlib.h"

namespace {

constexpr int32_t ONE = 0x10000;

int32_t int_arg(lua_State* L, int i) { return lua_tonumberx(L, i, nullptr) >> 16; }

void push_hex_fixed(lua_State* L, uint32_t raw) {
  char buf[16];
  snprintf(buf, sizeof buf, "0x%04x.%04x", raw >> 16, raw & 0xffff);
  lua_pushstring(L, buf);
}

void push_number_text(lua_State* L, int32_t n, int32_t flags) {
  uint32_t raw = static_cast<uint32_t>(n);
  char buf[16];
  if ((flags & 3) == 3) {
    snprintf(buf, sizeof buf, "0x%08x", raw);
  } else if (flags & 1) {
    push_hex_fixed(L, raw);
    return;
  } else if (flags & 2) {
    snprintf(buf, sizeof buf, "%d", n);
  } else {
    lua_pushnumber(L, n);
    lua_tolstring(L, -1, nullptr);
    return;
  }
  lua_pushstring(L, buf);
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

// "%d" as scanf reads it: leading blanks, an optional sign, digits (0 when
// there are none); wraps at 32 bits.
int32_t read_decimal(const char* s) {
  while (*s == ' ' || (*s >= '\t' && *s <= '\r')) s++;
  bool negative = *s == '-';
  if (*s == '-' || *s == '+') s++;
  uint32_t v = 0;
  for (; *s >= '0' && *s <= '9'; s++) v = v * 10 + static_cast<uint32_t>(*s - '0');
  return static_cast<int32_t>(negative ? 0u - v : v);
}

// Stores the piece at the next index: a number when convert is on and its
// whole text is numeric, else the string.
void store_piece(lua_State* L, int table, int index, const char* s, size_t len, bool convert) {
  lua_pushlstring(L, s, len);
  if (convert) {
    int ok = 0;
    int32_t n = lua_tonumberx(L, -1, &ok);
    if (ok) {
      lua_pop(L, 1);
      lua_pushnumber(L, n);
    }
  }
  lua_rawseti(L, table, index);
}

}  // namespace

int kx_tostr(lua_State* L) {
  spend_cpu(2);
  int top = lua_gettop(L);
  if (top == 0) {
    lua_pushstring(L, "");
    return 1;
  }
  switch (lua_type(L, 1)) {
    case LUA_TSTRING: lua_pushvalue(L, 1); break;
    case LUA_TNUMBER: {
      int32_t flags = 0;
      if (top >= 2) flags = lua_type(L, 2) == LUA_TBOOLEAN ? (lua_toboolean(L, 2) ? 1 : 0) : int_arg(L, 2);
      push_number_text(L, lua_tonumberx(L, 1, nullptr), flags);
      break;
    }
    case LUA_TBOOLEAN: lua_pushstring(L, lua_toboolean(L, 1) ? "true" : "false"); break;
    default: lua_pushfstring(L, "[%s]", lua_typename(L, lua_type(L, 1))); break;
  }
  return 1;
}

int kx_tonum(lua_State* L) {
  int32_t flags = int_arg(L, 2);
  switch (lua_type(L, 1)) {
    case LUA_TNUMBER: lua_pushvalue(L, 1); return 1;
    case LUA_TBOOLEAN: lua_pushnumber(L, !lua_toboolean(L, 1) ? 0 : (flags & 2) ? 1 : ONE); return 1;
    case LUA_TSTRING: break;
    default: return 0;
  }
  spend_cpu(2);
  const char* s = lua_tolstring(L, 1, nullptr);
  if ((flags & 3) == 1 || (flags & 3) == 3) {
    uint32_t v = 0;
    for (; *s; s++) v = v << 4 | static_cast<uint32_t>(hex_digit(*s));
    lua_pushnumber(L, static_cast<int32_t>((flags & 3) == 3 ? v : v << 16));
    return 1;
  }
  if ((flags & 3) == 2) {
    lua_pushnumber(L, read_decimal(s));
    return 1;
  }
  int ok = 0;
  int32_t n = lua_tonumberx(L, 1, &ok);
  if (!ok) {
    if (!(flags & 4)) return 0;
    n = 0;
  }
  lua_pushnumber(L, n);
  return 1;
}

int kx_sub(lua_State* L) {
  size_t size = 0;
  int t = lua_type(L, 1);
  if (t != LUA_TSTRING && t != LUA_TNUMBER) return 0;
  const char* s = lua_tolstring(L, 1, &size);
  int64_t len = static_cast<int64_t>(size);
  int top = lua_gettop(L);
  int64_t i = top >= 2 ? int_arg(L, 2) : 1;
  int64_t j = top < 3 ? len : lua_type(L, 3) == LUA_TNUMBER ? int_arg(L, 3) : i;
  if (i < 0) i += len + 1;
  if (j < 0) j += len + 1;
  if (j < i || j == 0) {
    lua_pushstring(L, "");
    return 1;
  }
  if (i < 0 || i >= len) i = len;
  if (j < 0 || j >= len) j = len;
  if (i == 0) i = 1;
  if (j == 0) j = 1;
  // An empty string, or a start clamped past the end, gives "" rather than
  // bytes beyond the text.
  if (len == 0 || j < i) {
    lua_pushstring(L, "");
    return 1;
  }
  lua_pushlstring(L, s + i - 1, static_cast<size_t>(j - i + 1));
  spend_cpu(static_cast<int>(j - i + 1));
  return 1;
}

int kx_chr(lua_State* L) {
  int n = lua_gettop(L);
  spend_cpu(n);
  constexpr int FEW = 16;
  if (n <= FEW) {  // the usual call: the text fits a small array
    char few[FEW];
    for (int k = 1; k <= n; k++) few[k - 1] = static_cast<char>(int_arg(L, k) & 0xff);
    lua_pushlstring(L, few, static_cast<size_t>(n));
    return 1;
  }
  luaL_Buffer b;
  luaL_buffinit(L, &b);
  for (int k = 1; k <= n; k++) luaL_addchar(&b, static_cast<char>(int_arg(L, k) & 0xff));
  luaL_pushresult(&b);
  return 1;
}

int kx_ord(lua_State* L) {
  int t = lua_type(L, 1);
  size_t len = 0;
  const char* s = t == LUA_TSTRING || t == LUA_TNUMBER ? lua_tolstring(L, 1, &len) : nullptr;
  int top = lua_gettop(L);
  int32_t i = top >= 2 ? static_cast<int16_t>(int_arg(L, 2)) : 1;
  int32_t n = top >= 3 ? static_cast<int16_t>(int_arg(L, 3)) : 1;
  if (n < 1 || !lua_checkstack(L, n)) return tovo_binding_error(L, "too many ord results");
  spend_cpu(n);
  for (int32_t k = i; k < i + n; k++) {
    if (s && k >= 1 && static_cast<size_t>(k) <= len)
      lua_pushnumber(L, static_cast<int32_t>(static_cast<uint8_t>(s[k - 1])) << 16);
    else lua_pushnil(L);
  }
  return n;
}

int kx_split(lua_State* L) {
  int top = lua_gettop(L);
  int t = lua_type(L, 1);
  if (top == 0 || (t != LUA_TSTRING && t != LUA_TNUMBER)) return 0;
  size_t len = 0;
  const char* s = lua_tolstring(L, 1, &len);
  bool convert = top < 3 || lua_toboolean(L, 3);
  lua_createtable(L, 0, 0);
  int table = lua_gettop(L);
  spend_cpu(static_cast<int>(len > 0x3fffffff ? 0x3fffffff : len));
  int index = 1;
  if (lua_type(L, 2) == LUA_TNUMBER) {
    int64_t n = int_arg(L, 2);
    if (n > static_cast<int64_t>(len)) n = static_cast<int64_t>(len);
    if (n < 1) n = 1;
    for (size_t at = 0; at < len; at += static_cast<size_t>(n)) {
      size_t piece = len - at < static_cast<size_t>(n) ? len - at : static_cast<size_t>(n);
      store_piece(L, table, index++, s + at, piece, convert);
    }
    return 1;
  }
  size_t sep_len = 1;
  const char* sep = ",";
  if (lua_type(L, 2) == LUA_TSTRING) sep = lua_tolstring(L, 2, &sep_len);
  if (sep_len == 0) {
    for (size_t at = 0; at < len; at++) {
      char c = s[at];
      if (convert && c >= '0' && c <= '9') lua_pushnumber(L, (c - '0') << 16);
      else lua_pushlstring(L, s + at, 1);
      lua_rawseti(L, table, index++);
    }
    return 1;
  }
  size_t start = 0;
  for (size_t at = 0; at < len; at++) {
    if (s[at] != sep[0]) continue;
    store_piece(L, table, index++, s + start, at - start, convert);
    start = at + 1;
  }
  store_piece(L, table, index, s + start, len - start, convert);
  return 1;
}
