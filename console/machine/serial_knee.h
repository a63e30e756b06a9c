#pragma once
// The knee that the serial audio bends its sums with, above 0x5fff either
// way, so that a loud sample stays within 16 bits.
#include <cstdint>

inline int16_t tovo_add_with_knee(int32_t out, int32_t s) {
  int32_t t = out + s;
  if (t > 0x5fff) t = (t - 0x6000) / 5 + 0x6000;
  if (t < -0x5fff) t = (t + 0x6000) / 5 - 0x6000;
  return static_cast<int16_t>(t);
}
