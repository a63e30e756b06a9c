#pragma once
// The second window on another display: counting displays, choosing one by
// name and mode, and opening a borderless window there. The player never
// opens it.
#include <cstdint>

int32_t tarq_num_video_displays();
int32_t tarq_choose_display(const char* pattern, int32_t w, int32_t h);
int32_t tarq_open_display(int32_t index, int32_t w, int32_t h);
