#pragma once
// The process CPU-time timer. The player times nothing with it.
#include <cstdint>

void timer_start();
int32_t timer_end();  // nanoseconds of CPU time since timer_start, wraps at 32 bits
