// Square root, power and arctangent of 16.16 values; the root and the power
// charge the cycle budget.
#include "console/fixed_math.h"

#include "console/spend_cpu_standin.h"
#include "engine/math.h"

namespace {

// Floor of the square root of a 64-bit value, two bits of the radicand a step.
uint64_t isqrt64(uint64_t v) {
  uint64_t root = 0;
  uint64_t bit = uint64_t{1} << 62;
  while (bit > v) bit >>= 2;
  while (bit != 0) {
    if (v >= root + bit) {
      v -= root + bit;
      root = (root >> 1) + bit;
    } else {
      root >>= 1;
    }
    bit >>= 2;
  }
  return root;
}

// 1/a for a negative exponent, saturated like a division.
int32_t reciprocal(int32_t a) {
  if (a == 0) return 0x7fffffff;
  if ((a & 0xffff) == 0 && a > 0) return 65536 / (a >> 16);
  int64_t q = (int64_t{1} << 32) / a;
  if (q < -0x7fffffffLL) return static_cast<int32_t>(0x80000001);
  if (q > 0x7fffffffLL) return 0x7fffffff;
  return static_cast<int32_t>(q);
}

}  // namespace

int32_t kx_fsqrt(int32_t a) {
  if (a < 0) return 0;
  spend_cpu(8);
  return static_cast<int32_t>(isqrt64(static_cast<uint64_t>(a) << 16));
}

int32_t kx_fpow(int32_t a, int32_t b) {
  if (b == 0) return 0x10000;
  // The exponent is handled as an unsigned magnitude so that -32768 (whose
  // negation does not fit) still counts as 32768 and the loops end.
  uint32_t e = static_cast<uint32_t>(b);
  if (b < 0) {
    a = reciprocal(a);
    e = 0u - e;
  }
  int32_t result = 0x10000;
  int32_t square = a;
  for (uint32_t n = e >> 16; n != 0;) {
    if (n & 1) result = kx_fmul(result, square);
    n >>= 1;
    if (n != 0) square = kx_fmul(square, square);
  }
  int32_t root = a;
  for (uint32_t f = e & 0xffff; f != 0;) {
    do {
      root = kx_fsqrt(root);
      f <<= 1;
    } while (f < 0x10000);
    f -= 0x10000;
    result = kx_fmul(result, root);
  }
  spend_cpu(8);
  return result;
}

int32_t fatan2(int32_t x, int32_t y) { return ftan2(x, y); }
