#pragma once
// Debugging aids that the player never uses: prints to standard output and
// the process CPU-time timer.
#include <cstdint>

// Prints where part first stands in text ("strstr: [%s] in [%s]: %d\n", -1
// when nowhere) and returns that offset.
int32_t test_strstr(const char* text, const char* part);
// Prints the four channel values of the working cart's music pattern 0 with
// a label and the engine time: "%s: %d %d %d %d (%d ms)\n".
void debug_print_pattern_0(const char* label);

void timer_start();
int32_t timer_end();  // nanoseconds of CPU time since timer_start, wraps at 32 bits
