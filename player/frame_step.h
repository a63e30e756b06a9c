#pragma once
// The frame steps: elapsed host time into whole console ticks at the cart's
// frame rate, and the rule for host frames that are not drawn.
#include <cstdint>

constexpr int32_t TOVO_TICK = 65536;            // one console tick, 16.16
constexpr int32_t TOVO_TIME_OFFSET = 72000000;  // added to engine time
constexpr int32_t TOVO_MAX_STEP_MS = 32000;     // the longest step a frame counts

// Adds the ticks due since *last_t to the accumulator: now is the offset
// engine time, rate the ticks a second (30 while paused), frame_rate the
// frame-rate word (the cap is 131072 at 60, else 131071), glitch_test the
// glitch-test counter (the accumulator is then exactly one tick). *rest
// carries the fraction of a 16.16 unit (in thousandths) from one frame to
// the next, so that the average rate is exact however short the frames.
void tovo_frame_step(int32_t* accumulator, int32_t* rest, int32_t* last_t, int32_t now, int32_t rate,
                     int32_t frame_rate, int32_t glitch_test);
// How many host frames in a row may go undrawn at this sleep time (ms).
int32_t tovo_skip_limit(int32_t sleep_ms);

// Milliseconds from the frame step just taken (the accumulator, *rest and
// *last_t as it left them) until the accumulator reaches `due`: the least e >= 0 for
// which a step taken e ms later would bring it there (0 when it is there
// already or when rate gives no ticks).
int32_t tovo_ms_until_due(int32_t accumulator, int32_t rest, int32_t last_t, int32_t rate, int32_t frame_rate,
                          int32_t due);
// How long a host frame with no tick due waits before the next host frame
// starts, so that the next frame, after the sleep at the start of its event
// pump, finds its tick due: the time until due less that sleep, not below 0.
int32_t tovo_idle_wait_ms(int32_t ms_until_due, int32_t pump_sleep_ms);
