#pragma once
// A timer of the milliseconds since it was last reset (tarq_start_time); a
// clock that went back resets it. Start-up sets it; the player never reads it.
#include <cstdint>

int32_t tarq_reset_timer();
int32_t tarq_get_elapsed_time();
