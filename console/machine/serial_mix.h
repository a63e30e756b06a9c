#pragma once
// Adding one sample buffer into another as the serial audio hook adds its
// samples. The hook adds them one at a time; nothing in the player calls it.
#include <cstdint>

// Adds n samples of src into dst, each sum bent by the knee (see serial_knee.h).
void serial_mix_down(int16_t* dst, const int16_t* src, int32_t n);
