#pragma once
// The shapes of the waveforms over a 16-bit phase (65536 is one period).
#include <cstdint>

// Triangle, +-0x4000.
inline int32_t tri(int32_t x) { return x < 0x8000 ? x - 0x4000 : 0xc000 - x; }
// Rises from 0 to 4 x 6143 over seven eighths of the period, falls back over
// the last eighth; ramp_s the same over fifteen sixteenths.
inline int32_t ramp(int32_t x) { return x < 0xe000 ? x * 6143 / 14336 : (0xffff - x) * 6143 / 2048; }
inline int32_t ramp_s(int32_t x) { return x < 0xf000 ? x * 6143 / 15360 : (0xffff - x) * 6143 / 1024; }
// The triangle at three quarters, and its shaped form.
inline int32_t tri_t(int32_t x) { return 3 * tri(x) / 4; }
inline int32_t tri_u(int32_t x) { return (3 * tri_t(x) + ramp(x) - 12286) / 4; }
