// An integer hash that scatters neighbouring values.
#include "engine/data/int_hash.h"

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
