#pragma once
// Sleeping the calling thread for ms milliseconds (nothing for 0 or less).
// The player paces its frames with the main loop's own wait.
#include <cstdint>

void tarq_delay(int32_t ms);
