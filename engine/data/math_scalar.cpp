// 16.16 fixed-point multiply and divide, an approximate distance, and an
// integer hash.
#include "engine/data/math_scalar.h"

namespace {

int32_t wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

}  // namespace

int32_t tarq_fmul(int32_t a, int32_t b) { return wrap32((static_cast<int64_t>(a) * static_cast<int64_t>(b)) >> 16); }

int32_t tarq_fdiv(int32_t a, int32_t b) {
  if (b == 0) return a >= 0 ? 0x7FFFFFFF : static_cast<int32_t>(0x80000001);
  int64_t q = (static_cast<int64_t>(a) * 65536) / b;
  if (q > 0x7FFFFFFF) return 0x7FFFFFFF;
  if (q < -0x7FFFFFFF) return static_cast<int32_t>(0x80000001);
  return static_cast<int32_t>(q);
}

int32_t fdist(int32_t a, int32_t b) {
  int64_t ua = a < 0 ? -static_cast<int64_t>(a) : a;
  int64_t ub = b < 0 ? -static_cast<int64_t>(b) : b;
  int64_t hi = ua > ub ? ua : ub;
  int64_t lo = ua > ub ? ub : ua;
  return wrap32(hi + (lo >> 1));
}

// An integer hash that scatters neighbouring values.
int32_t tarq_mangle_int32(int32_t a) {
  auto mul = [](int32_t x, int32_t y) {
    return static_cast<int32_t>(static_cast<uint32_t>(x) * static_cast<uint32_t>(y));
  };
  auto add_shifted = [](int32_t x) {
    return static_cast<int32_t>(static_cast<uint32_t>(x) + static_cast<uint32_t>(x >> 8));
  };
  a = mul(a ^ 0x59C, a ^ 0x158);
  a = add_shifted(a);
  a = mul(a ^ 0x59C, a ^ 0x52D);
  a = add_shifted(a);
  return add_shifted(a);
}
