// The process CPU-time timer.
#include "player/cpu_timer.h"

#include "engine/platform/host.h"

void timer_start() { tarq_timer_start(); }
int32_t timer_end() { return tarq_timer_end(); }
