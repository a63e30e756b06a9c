#pragma once
// The console's 16.16 fixed-point arithmetic: every script number is a signed
// 32-bit value v standing for v / 65536. Wrapping work is done in uint32_t so
// that no signed overflow or over-wide shift ever happens.
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

// Square root: the exact floor of sqrt(a) in 16.16; a negative a gives 0 and
// charges nothing, any other charges spend_cpu(8).
int32_t kx_fsqrt(int32_t a);

// a to the power b (fractional and negative exponents included).
int32_t kx_fpow(int32_t a, int32_t b);

// Angle of the vector (x, y) in turns, 0 up to but excluding 1.0, from the
// engine's arctangent table.
int32_t fatan2(int32_t x, int32_t y);

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
