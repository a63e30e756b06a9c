// A timer of the milliseconds since it was last reset.
#include "engine/platform/elapsed_timer.h"

#include "engine/tarq.h"

int32_t tarq_reset_timer() {
  tarq_loop.tarq_start_time = tarq_get_time();
  return tarq_loop.tarq_start_time;
}

int32_t tarq_get_elapsed_time() {
  int32_t elapsed =
      static_cast<int32_t>(static_cast<uint32_t>(tarq_get_time()) - static_cast<uint32_t>(tarq_loop.tarq_start_time));
  if (elapsed < 0) {
    tarq_reset_timer();
    return 0;
  }
  return elapsed;
}
