#pragma once
// Small services kept beside the clipboard codes: the activity-log hooks
// (no log is written: both return their argument), the process CPU-time
// timer, the window-title hook and the help printer.
#include <cstdint>

int32_t log_activity(int32_t arg);
int32_t flush_activity_log_buffer(int32_t arg);

void timer_start();
int32_t timer_end();  // nanoseconds of CPU time since timer_start, wraps at 32 bits

void update_window_title();  // does nothing

// Prints "help topic: %s" and "blah"; a null topic takes the lower-case word
// (a-z, 0-9, '_', at most 63 characters) at the cursor of the current code
// tab.
void print_help_topic(const char* topic);
