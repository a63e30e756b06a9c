// Adding one sample buffer into another, and the serial channels' step at
// the end of a run.
#include "console/machine/serial_tools.h"

#include "console/machine/serial_knee.h"

void serial_mix_down(int16_t* dst, const int16_t* src, int32_t n) {
  for (int32_t i = 0; i < n; i++) dst[i] = tovo_add_with_knee(dst[i], src[i]);
}

// The serial channels' step at the end of a run.
void serial_exit_runtime() {}
