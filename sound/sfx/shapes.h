#pragma once
// The shapes of the waveforms over a 16-bit phase, and the levels they are
// built on.
#include <cstdint>

// One period is 0x10000 phase units; the shapes below take a 16-bit phase.
constexpr int32_t PERIOD = 0x10000;

// The level unit of the tones. The triangle swings +-0x3000 (three quarters
// of +-0x4000); LEVEL is the largest value below half of that, 0x1800 - 1,
// and the other waveforms are built on it so that they stay just inside the
// triangle's swing: the ramp rises from 0 to 4 LEVEL and is centred by taking
// off 2 LEVEL (CENTRE, 12286), the square steps by 2 LEVEL, and the noise
// generators draw their levels from +-LEVEL.
constexpr int32_t LEVEL = 0x3000 / 2 - 1;  // 6143
constexpr int32_t CENTRE = 2 * LEVEL;      // 12286

// The ramp rises over the first RISE phase units (seven eighths of the
// period; fifteen sixteenths with the shape flag) and falls over the rest.
// Dividing a phase by a quarter of its stretch and multiplying by LEVEL
// spans 0..4 LEVEL: RISE / 4 is 14336, the fall's quarter 2048.
constexpr int32_t RISE = 0xe000, RISE_SHAPED = 0xf000;

// Triangle, +-0x4000.
inline int32_t tri(int32_t x) { return x < 0x8000 ? x - 0x4000 : 0xc000 - x; }
inline int32_t ramp(int32_t x) {
  return x < RISE ? x * LEVEL / (RISE / 4) : (0xffff - x) * LEVEL / ((PERIOD - RISE) / 4);
}
inline int32_t ramp_s(int32_t x) {
  return x < RISE_SHAPED ? x * LEVEL / (RISE_SHAPED / 4) : (0xffff - x) * LEVEL / ((PERIOD - RISE_SHAPED) / 4);
}
// The triangle at three quarters, and its shaped form.
inline int32_t tri_t(int32_t x) { return 3 * tri(x) / 4; }
inline int32_t tri_u(int32_t x) { return (3 * tri_t(x) + ramp(x) - CENTRE) / 4; }
