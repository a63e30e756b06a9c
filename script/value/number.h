#pragma once
// The 16.16 number model: text to number, number to text, the arithmetic
// codes of the operators and small helpers on numbers and integers.
#include <bit>
#include <cstdarg>
#include <cstddef>

#include "script/value/object.h"

constexpr int TOVO_NUMBER_TEXT = 32;  // buffer size for tovo_fixed_to_string

// Arithmetic codes (opcode = code + 13, event = code + TM_ADD).
enum {
  LUA_OPADD,
  LUA_OPSUB,
  LUA_OPMUL,
  LUA_OPDIV,
  LUA_OPMOD,
  LUA_OPPOW,
  LUA_OPBAND,
  LUA_OPBOR,
  LUA_OPBXOR,
  LUA_OPSHL,
  LUA_OPSHR,
  LUA_OPLSHR,
  LUA_OPROTL,
  LUA_OPROTR,
  LUA_OPBNOT,
  LUA_OPIDIV,
  LUA_OPPEEK,
  LUA_OPPEEK2,
  LUA_OPPEEK4,
  LUA_OPUNM,
  LUA_NUMARITH
};

// Whole number n as a 16.16 value (n << 16 in 32 bits; wraps past 32767).
inline lua_Number tovo_int2num(int n) { return static_cast<lua_Number>(static_cast<uint32_t>(n) << 16); }
// Integer part of a 16.16 value: the floor, -32768..32767.
inline int tovo_num2int(lua_Number v) { return v >> 16; }
inline lua_Number tovo_wrap_add(lua_Number a, lua_Number b) {
  return static_cast<lua_Number>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline lua_Number tovo_wrap_sub(lua_Number a, lua_Number b) {
  return static_cast<lua_Number>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline lua_Number tovo_wrap_neg(lua_Number a) { return static_cast<lua_Number>(0u - static_cast<uint32_t>(a)); }

// Converts the whole text of length len (a 0 byte follows it): decimal,
// "0x" hexadecimal or "0b" binary, with optional fraction digits. 1 and the
// number on success, 0 on failure.
int luaO_str2d(const char* s, size_t len, lua_Number* result);
// Writes the number's text (at most 12 characters) into buf, which holds
// TOVO_NUMBER_TEXT bytes or more; returns its length.
int tovo_fixed_to_string(char* buf, lua_Number n);
// The result of arithmetic code op on a and b (b ignored by unary codes);
// any other code gives 0. The peeks and the power's charge go to L's host.
lua_Number luaO_arith(lua_State* L, int op, lua_Number a, lua_Number b);
// a to the power b (kx_fpow), its work charged to the host of L's state.
lua_Number luaO_pow(lua_State* L, lua_Number a, lua_Number b);

int luaO_int2fb(unsigned int x);
int luaO_fb2int(int x);
// The least l with 2^l >= x (32 for 0).
inline int luaO_ceillog2(unsigned int x) { return std::bit_width(x - 1u); }
int luaO_hexavalue(int c);
// Short form of a chunk's source name for messages, bufflen bytes with the 0.
void luaO_chunkid(char* out, const char* source, size_t bufflen);

// Pushes the formatted text and returns its bytes. Directives: %% %c %s %p,
// and %d and %f, which take an int shown as a 16.16 number (pass n << 16 to
// show the whole number n).
const char* luaO_pushvfstring(lua_State* L, const char* fmt, va_list argp);
const char* luaO_pushfstring(lua_State* L, const char* fmt, ...);

// The value itself when a number; else n set to the converted number when
// the value is a string that converts whole; else null.
const TValue* luaV_tonumber(const TValue* obj, TValue* n);
// Replaces a number by its interned text: 1; 0 when not a number.
int luaV_tostring(lua_State* L, StkId obj);
// The interned text of a number (text_cache.cpp).
TString* luaV_numbertext(lua_State* L, lua_Number n);
