#include "player/activity_log.h"

#include "engine/host.h"

int32_t log_activity(int32_t arg) { return arg; }
int32_t flush_activity_log_buffer(int32_t arg) { return arg; }

void timer_start() { tarq_timer_start(); }
int32_t timer_end() { return tarq_timer_end(); }

void update_window_title() {}
