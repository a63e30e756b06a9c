#pragma once
// What the script runtime needs from the console it runs in. The runtime
// includes no console header and calls no console function by name: the
// services that need the machine are a record of functions, lua_Host, that
// the console (or another host, such as the script runner or a test) gives
// each state it makes with lua_sethost.
//
// The arithmetic that needs no machine state is defined here, inline: the
// interpreter's arithmetic instructions call it on every step, so it must be
// visible to the compiler where they are. The console's own 16.16 arithmetic
// header includes this one and uses the same functions.
//
// Every script number is a signed 32-bit value v standing for v / 65536.
// Wrapping work is done in uint32_t so that no signed overflow or over-wide
// shift ever happens.
#include <cstdint>

// Product: the 64-bit product shifted right 16, cut to 32 bits (wraps).
inline int32_t kx_fmul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>((static_cast<int64_t>(a) * b) >> 16));
}

// Quotient, truncated toward zero and saturated; never 0x80000000.
inline int32_t kx_fdiv(int32_t a, int32_t b) {
  if (b == 0) return a < 0 ? static_cast<int32_t>(0x80000001) : 0x7fffffff;
  if ((b & 0xffff) == 0 && b > 0) return a / (b >> 16);
  int64_t q = static_cast<int64_t>(a) * 65536 / b;
  if (q < -0x7fffffffLL) return static_cast<int32_t>(0x80000001);
  if (q > 0x7fffffffLL) return 0x7fffffff;
  return static_cast<int32_t>(q);
}

// Modulo: b = 0 gives a; otherwise the result lies in [0, |b|).
inline int32_t kx_fmod(int32_t a, int32_t b) {
  if (b == 0) return a;
  uint32_t m = b < 0 ? 0u - static_cast<uint32_t>(b) : static_cast<uint32_t>(b);
  uint32_t ua = static_cast<uint32_t>(a);
  if (ua == 0x80000000u) ua = m + 0x80000000u;
  if (static_cast<int32_t>(ua) >= 0) return static_cast<int32_t>(ua % m);
  return static_cast<int32_t>((m - (0u - ua) % m) % m);
}

// Shifts and rotates of the 32-bit word a by the integer part of b.
inline int32_t tovo_shl(int32_t a, int32_t b) {
  int32_t n = b >> 16;
  uint32_t ua = static_cast<uint32_t>(a);
  if (n >= 0) return n > 31 ? 0 : static_cast<int32_t>(ua << n);
  return n < -31 ? 0 : static_cast<int32_t>(ua >> -n);
}

inline int32_t tovo_lshr(int32_t a, int32_t b) {
  int32_t n = b >> 16;
  uint32_t ua = static_cast<uint32_t>(a);
  if (n >= 0) return n > 31 ? 0 : static_cast<int32_t>(ua >> n);
  return n < -31 ? 0 : static_cast<int32_t>(ua << -n);
}

inline int32_t tovo_ashr(int32_t a, int32_t b) {
  int32_t n = b >> 16;
  if (n >= 0) return a >> (n > 31 ? 31 : n);
  return n < -31 ? 0 : static_cast<int32_t>(static_cast<uint32_t>(a) << -n);
}

inline int32_t tovo_rotl(int32_t a, int32_t b) {
  uint32_t n = static_cast<uint32_t>(b >> 16) & 31;
  uint32_t ua = static_cast<uint32_t>(a);
  return static_cast<int32_t>(n == 0 ? ua : (ua << n) | (ua >> (32 - n)));
}

inline int32_t tovo_rotr(int32_t a, int32_t b) {
  uint32_t n = static_cast<uint32_t>(b >> 16) & 31;
  uint32_t ua = static_cast<uint32_t>(a);
  return static_cast<int32_t>(n == 0 ? ua : (ua >> n) | (ua << (32 - n)));
}

// Defined by the runtime (value/fixed_pow.cpp), out of line: both loop and
// charge their work through spend, which takes a count as the host's
// spend_cpu does (below). The interpreter's power, luaO_pow, charges the
// host of its state the same.

// a to the power b (fractional and negative exponents included).
int32_t kx_fpow(int32_t a, int32_t b, void (*spend)(int n));

// Square root: the exact floor of sqrt(a) in 16.16; a negative a gives 0 and
// charges nothing, any other charges spend(8).
int32_t kx_fsqrt(int32_t a, void (*spend)(int n));

// The services the host gives a state; every thread of the state shares them.
struct lua_State;

struct lua_Host {
  // The peek operators: a 16.16 address (integer part taken, wrapping), read
  // through the machine's memory map, a 16.16 result. peek_2 is the signed
  // little-endian 16-bit value, peek_4 the four bytes as a 16.16 word.
  int32_t (*peek_1)(int32_t address);
  int32_t (*peek_2)(int32_t address);
  int32_t (*peek_4)(int32_t address);

  // The charge for work done outside the interpreter by a thread of L's
  // state: n < 0 charges nothing; otherwise max(n, 1) * 2 cycles go to the
  // host's frame counter and, through lua_add_cpu_cycles, to the slice
  // counter of L's state.
  void (*spend_cpu)(lua_State* L, int n);

  // Maps a line of the whole compiled program (from 1) to the line within
  // its code tab, and through tab (when not null) the tab index.
  int (*find_tab_line)(int line, int* tab);

  // Keeps the message of a failing assert for the host's error report:
  // empties the store and, for a non-null text, copies at most 254
  // characters of it in.
  void (*assert_message)(const char* text);
};

// Gives the state (and its threads) the host's services, copied. A state
// starts with the null host, which reads every address as 0, charges
// nothing, leaves a line as it is in tab 0 and keeps no message; an entry
// left null here, or a null host, is the null host's.
void lua_sethost(lua_State* L, const lua_Host* host);

// The state's services.
const lua_Host* lua_gethost(lua_State* L);
