#pragma once
// Counting the cycles of frames the host skipped. Nothing in the player
// skips frames this way.
#include <cstdint>

// Adds n (n >= 0) to the run loop's skipped-cycle counter, clamped to 0x8840000.
void tovo_register_cycles_spent_in_skipped_frames(int32_t n);
