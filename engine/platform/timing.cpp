// A timer of the milliseconds since it was last reset, sleeping the calling
// thread, and a time as local date and time text.
#include "engine/platform/timing.h"

#include <SDL.h>

#include <ctime>

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

// Sleeping the calling thread.
void tarq_delay(int32_t ms) {
  if (ms > 0) SDL_Delay(static_cast<Uint32>(ms));
}

// A time as local date and time text.
void tarq_print_date(time_t when, char* out) {
  struct tm t;
  if (!localtime_r(&when, &t) || strftime(out, 32, "%Y-%m-%d %H:%M:%S", &t) == 0) out[0] = 0;
}
