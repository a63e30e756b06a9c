// Frame steps: elapsed time into console ticks, and the skip limit.
#include <gtest/gtest.h>

#include "player/frame_step.h"

namespace {

struct step_case {
  int32_t accumulator, last_t, now, rate, frame_rate, glitch_test;
  int32_t want_accumulator;
};

TEST(frame_step, TicksFromElapsedTime) {
  const step_case cases[] = {
      {0, 0, 1000, 30, 30, 0, 131071},        // first update: the longest step, capped
      {0, 1000, 1033, 30, 30, 0, 64860},      // 33 ms at 30: just short of a tick
      {0, 1000, 1034, 30, 30, 0, 66840},      // 34 ms: one tick
      {0, 1000, 1017, 60, 60, 0, 66840},      // 17 ms at 60
      {0, 1000, 1050, 60, 60, 0, 131072},     // 3 ticks of credit at 60, two kept
      {0, 1000, 1100, 30, 30, 0, 131071},     // at 30 the cap keeps it under two ticks
      {1000, 2000, 1990, 30, 30, 0, 0},       // time going back: never negative
      {0, 0, 40000, 60, 60, 0, 131072},       // elapsed over 32000 ms counts as 32000
      {70000, 1000, 1500, 30, 30, 5, 65536},  // the glitch test forces one tick
      {0, 1000, 1010, 30, 60, 0, 19650},      // paused at 30 while the cart runs at 60
  };
  for (const step_case& c : cases) {
    int32_t acc = c.accumulator, last = c.last_t;
    tovo_frame_step(&acc, &last, c.now, c.rate, c.frame_rate, c.glitch_test);
    EXPECT_EQ(acc, c.want_accumulator) << c.now - c.last_t << " ms at " << c.rate;
    EXPECT_EQ(last, c.now);
  }
}

TEST(frame_step, ThirtyOnASixtyHertzHostRunsEveryOtherFrame) {
  int32_t acc = 0, last = 0, ticks = 0, drawn = 0;
  tovo_frame_step(&acc, &last, 100000, 30, 30, 0);
  acc = 0;
  for (int frame = 1; frame <= 60; frame++) {
    tovo_frame_step(&acc, &last, 100000 + frame * 1000 / 60, 30, 30, 0);
    if (acc >= TOVO_TICK) drawn++;
    while (acc > 65535) {
      ticks++;
      acc -= TOVO_TICK;
    }
  }
  EXPECT_NEAR(ticks, 30, 1);
  EXPECT_NEAR(drawn, 30, 1);
}

TEST(frame_step, SkipLimitBySleepTime) {
  const int32_t cases[][2] = {{0, 10000}, {-5, 10000}, {1, 100}, {10, 10}, {50, 2}, {200, 2}, {33, 3}};
  for (const auto& c : cases) EXPECT_EQ(tovo_skip_limit(c[0]), c[1]) << c[0];
}

}  // namespace
