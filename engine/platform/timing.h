#pragma once
// Timing the player never uses: a timer of the milliseconds since it was last
// reset (tarq_start_time; a clock that went back resets it; start-up sets
// it), sleeping the calling thread (the player paces its frames with the main
// loop's own wait), and a time as local date and time text.
#include <cstdint>
#include <ctime>

int32_t tarq_reset_timer();
int32_t tarq_get_elapsed_time();

// Sleeps for ms milliseconds (nothing for 0 or less).
void tarq_delay(int32_t ms);

void tarq_print_date(time_t t, char* out);  // 32 bytes, "%Y-%m-%d %H:%M:%S" local
