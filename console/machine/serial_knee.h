#pragma once
// The knee that the serial audio bends its sums with, beyond
// TOVO_SERIAL_KNEE either way, so that a loud sample stays within 16 bits.
#include <cstdint>

// What lies beyond +-TOVO_SERIAL_KNEE is squeezed to a fifth.
constexpr int32_t TOVO_SERIAL_KNEE = 0x6000;

inline int16_t tovo_add_with_knee(int32_t out, int32_t s) {
  int32_t t = out + s;
  if (t >= TOVO_SERIAL_KNEE) t = (t - TOVO_SERIAL_KNEE) / 5 + TOVO_SERIAL_KNEE;
  if (t <= -TOVO_SERIAL_KNEE) t = (t + TOVO_SERIAL_KNEE) / 5 - TOVO_SERIAL_KNEE;
  return static_cast<int16_t>(t);
}
