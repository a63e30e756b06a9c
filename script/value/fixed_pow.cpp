// Square root and power of 16.16 values; both charge the cycle budget through
// the charge function their caller gives (the host's spend_cpu). They need no
// machine state, so the runtime defines them beside the rest of its 16.16
// arithmetic, and every host links the same.
#include "script/console_services.h"

#include <cmath>

#include "script/value/number.h"
#include "script/vm/state.h"

namespace {

// Floor of the square root of v < 2^47: the double square root is within
// one of it (v is exact as a double), then corrected to the exact floor.
uint64_t isqrt47(uint64_t v) {
  uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(v)));
  while (r * r > v) r--;
  while ((r + 1) * (r + 1) <= v) r++;
  return r;
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

template <class Spend>
int32_t sqrt_charged(int32_t a, Spend spend) {
  if (a < 0) return 0;
  spend(8);
  return static_cast<int32_t>(isqrt47(static_cast<uint64_t>(a) << 16));
}

template <class Spend>
int32_t pow_charged(int32_t a, int32_t b, Spend spend) {
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
      root = sqrt_charged(root, spend);
      f <<= 1;
    } while (f < 0x10000);
    f -= 0x10000;
    result = kx_fmul(result, root);
  }
  spend(8);
  return result;
}

}  // namespace

int32_t kx_fsqrt(int32_t a, void (*spend)(int n)) { return sqrt_charged(a, spend); }

int32_t kx_fpow(int32_t a, int32_t b, void (*spend)(int n)) { return pow_charged(a, b, spend); }

lua_Number luaO_pow(lua_State* L, lua_Number a, lua_Number b) {
  return pow_charged(a, b, [L](int n) { G(L)->host.spend_cpu(L, n); });
}
