#pragma once
// Small services kept beside the clipboard codes: the activity-log hooks
// (no log is written: both return their argument) and the window-title hook.
#include <cstdint>

int32_t log_activity(int32_t arg);
int32_t flush_activity_log_buffer(int32_t arg);

void update_window_title();  // does nothing
