// Formatted messages, short chunk names and the number/string coercions.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "script/value/number.h"
#include "script/value/string.h"
#include "script/vm/cpu.h"
#include "script/vm/stack.h"
#include "script/vm/unwind.h"

namespace {

// Appends bytes to the state's join buffer; each piece copied into a joined
// result is charged like concatenation (length / 32 cycles).
void append(lua_State* L, const char* s, size_t len) {
  Mbuffer* b = &G(L)->buff;
  size_t need = b->n + len;
  if (need > luaZ_sizebuffer(b)) luaZ_openspace(L, b, need < 2 * b->n ? 2 * b->n : need);
  std::memcpy(b->buffer + b->n, s, len);
  b->n = need;
}

}  // namespace

const char* luaO_pushvfstring(lua_State* L, const char* fmt, va_list argp) {
  Mbuffer* b = &G(L)->buff;
  luaZ_resetbuffer(b);
  int pieces = 0;
  int32_t charge = 0;
  auto piece = [&](const char* s, size_t len) {
    if (len == 0) return;
    append(L, s, len);
    pieces++;
    charge += static_cast<int32_t>(len / 32);
  };
  for (;;) {
    const char* e = std::strchr(fmt, '%');
    if (e == nullptr) break;
    piece(fmt, static_cast<size_t>(e - fmt));
    char text[TOVO_NUMBER_TEXT];
    switch (e[1]) {
      case 's': {
        const char* s = va_arg(argp, char*);
        if (s == nullptr) s = "(null)";
        piece(s, std::strlen(s));
        break;
      }
      case 'c': {
        char c = static_cast<char>(va_arg(argp, int));
        piece(&c, 1);
        break;
      }
      case 'd':
      case 'f': {
        int len = tovo_fixed_to_string(text, va_arg(argp, int));
        piece(text, static_cast<size_t>(len));
        break;
      }
      case 'p': {
        int len = std::snprintf(text, sizeof text, "0x%llx",
                                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(va_arg(argp, void*))));
        piece(text, static_cast<size_t>(len));
        break;
      }
      case '%': piece("%", 1); break;
      default: luaG_runerror(L, "invalid option '%%%c' to 'lua_pushfstring'", e[1]);
    }
    fmt = e + 2;
  }
  piece(fmt, std::strlen(fmt));
  if (pieces > 1) lua_add_cpu_cycles(L, charge);
  TString* ts = luaS_newlstr(L, b->buffer ? b->buffer : "", b->n);
  setsvalue(L->top, ts);
  incr_top(L);
  return getstr(ts);
}

const char* luaO_pushfstring(lua_State* L, const char* fmt, ...) {
  va_list argp;
  va_start(argp, fmt);
  const char* msg = luaO_pushvfstring(L, fmt, argp);
  va_end(argp);
  return msg;
}

void luaO_chunkid(char* out, const char* source, size_t bufflen) {
  size_t l = std::strlen(source);
  if (bufflen == 0) return;
  auto add = [&](const char* s, size_t n) {
    std::memcpy(out, s, n);
    out += n;
    bufflen -= n;
  };
  if (*source == '=') {  // 'literal' source
    size_t n = l - 1 < bufflen - 1 ? l - 1 : bufflen - 1;
    add(source + 1, n);
    *out = 0;
  } else if (*source == '@') {  // file name
    if (l <= bufflen) {
      std::memcpy(out, source + 1, l);
    } else {
      add("...", 3);
      size_t keep = bufflen - 1;
      std::memcpy(out, source + 1 + l - 1 - keep, keep + 1);
    }
  } else {  // [string "source"]
    const char* nl = std::strchr(source, '\n');
    const char* pre = "[string \"";
    const char* ret = "...";
    const char* pos = "\"]";
    size_t fixed = std::strlen(pre) + std::strlen(ret) + std::strlen(pos) + 1;
    if (bufflen <= fixed) {
      out[0] = 0;
      return;
    }
    size_t room = bufflen - fixed;
    add(pre, std::strlen(pre));
    if (l < room && nl == nullptr) {
      add(source, l);
    } else {
      if (nl != nullptr) l = static_cast<size_t>(nl - source);
      if (l > room) l = room;
      add(source, l);
      add(ret, std::strlen(ret));
    }
    std::memcpy(out, pos, std::strlen(pos) + 1);
  }
}

const TValue* luaV_tonumber(const TValue* obj, TValue* n) {
  if (ttisnumber(obj)) return obj;
  lua_Number num;
  if (ttisstring(obj) && luaO_str2d(svalue(obj), tsvalue(obj)->len, &num)) {
    setnvalue(n, num);
    return n;
  }
  return nullptr;
}

int luaV_tostring(lua_State* L, StkId obj) {
  if (!ttisnumber(obj)) return 0;
  char text[TOVO_NUMBER_TEXT];
  // Number text is at most 12 characters; the bound lets the optimiser
  // see that it never takes the long-string road.
  const size_t len =
      std::min<size_t>(static_cast<size_t>(tovo_fixed_to_string(text, nvalue(obj))), TOVO_NUMBER_TEXT - 1);
  setsvalue(obj, luaS_newlstr(L, text, len));
  return 1;
}
