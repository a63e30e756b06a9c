#pragma once
// Serial steps that nothing in the player calls: adding one sample buffer into
// another as the serial audio hook adds its samples (the hook adds them one at
// a time), and the serial channels' step at the end of a run (they hold
// nothing that a run leaves behind, so it does nothing).
#include <cstdint>

// Adds n samples of src into dst, each sum bent by the knee (see serial_knee.h).
void serial_mix_down(int16_t* dst, const int16_t* src, int32_t n);

void serial_exit_runtime();
