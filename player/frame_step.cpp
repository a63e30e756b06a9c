// Frame steps.
#include "player/frame_step.h"

void tovo_frame_step(int32_t* accumulator, int32_t* rest, int32_t* last_t, int32_t now, int32_t rate,
                     int32_t frame_rate, int32_t glitch_test) {
  int64_t elapsed = (int64_t)now - *last_t;
  if (elapsed > 32000) elapsed = 32000;
  // Credit in thousandths of a 16.16 unit: what a division by 1000 leaves
  // over is carried to the next frame, so that many short host frames add up
  // to exactly `rate` ticks a second.
  int64_t credit = elapsed * 65536 * rate + *rest;
  int64_t a = *accumulator + credit / 1000;
  *rest = (int32_t)(credit % 1000);
  if (a < 0) {
    a = 0;
    *rest = 0;
  }
  if (glitch_test != 0) {
    a = TOVO_TICK;
    *rest = 0;
  }
  int64_t cap = frame_rate == 60 ? 131072 : 131071;
  if (a > cap) a = cap;
  *accumulator = (int32_t)a;
  *last_t = now;
}

int32_t tovo_skip_limit(int32_t sleep_ms) {
  if (sleep_ms <= 0) return 10000;
  return 100 / (sleep_ms < 50 ? sleep_ms : 50);
}
