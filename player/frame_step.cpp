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

int32_t tovo_ms_until_due(int32_t accumulator, int32_t rest, int32_t last_t, int32_t rate, int32_t frame_rate,
                          int32_t due) {
  if (accumulator >= due || rate <= 0) return 0;
  // A lower bound first: no step credits more than 65.536 x rate a millisecond.
  int64_t e = (int64_t(due) - accumulator) * 1000 / (int64_t(TOVO_TICK) * rate);
  for (; e < TOVO_MAX_STEP_MS; e++) {
    int32_t a = accumulator, r = rest, t = last_t;
    tovo_frame_step(&a, &r, &t, static_cast<int32_t>(static_cast<uint32_t>(last_t) + static_cast<uint32_t>(e)), rate,
                    frame_rate, 0);
    if (a >= due) break;
  }
  return static_cast<int32_t>(e);
}

int32_t tovo_idle_wait_ms(int32_t ms_until_due, int32_t pump_sleep_ms) {
  int32_t wait = ms_until_due - (pump_sleep_ms > 0 ? pump_sleep_ms : 0);
  return wait > 0 ? wait : 0;
}
