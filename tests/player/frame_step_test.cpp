// Frame steps: elapsed time into console ticks, the skip limit, and how
// long a host frame with nothing due waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "player/frame_step.h"

namespace {

struct step_case {
  int32_t accumulator, last_t, now, rate, frame_rate, glitch_test;
  int32_t want_accumulator, want_rest;
};

TEST(frame_step, TicksFromElapsedTime) {
  const step_case cases[] = {
      {0, 0, 1000, 30, 30, 0, 131071, 0},        // first update: the longest step, capped
      {0, 1000, 1033, 30, 30, 0, 64880, 640},    // 33 ms at 30: just short of a tick
      {0, 1000, 1034, 30, 30, 0, 66846, 720},    // 34 ms: one tick
      {0, 1000, 1017, 60, 60, 0, 66846, 720},    // 17 ms at 60
      {0, 1000, 1050, 60, 60, 0, 131072, 0},     // 3 ticks of credit at 60, two kept
      {0, 1000, 1100, 30, 30, 0, 131071, 0},     // at 30 the cap keeps it under two ticks
      {1000, 2000, 1990, 30, 30, 0, 0, 0},       // time going back: never negative
      {0, 0, 40000, 60, 60, 0, 131072, 0},       // elapsed over 32000 ms counts as 32000
      {70000, 1000, 1500, 30, 30, 5, 65536, 0},  // the glitch test forces one tick
      {0, 1000, 1010, 30, 60, 0, 19660, 800},    // paused at 30 while the cart runs at 60
      {0, 1000, 1001, 30, 30, 0, 1966, 80},      // one millisecond: the fraction is kept
  };
  for (const step_case& c : cases) {
    int32_t acc = c.accumulator, rest = 0, last = c.last_t;
    tovo_frame_step(&acc, &rest, &last, c.now, c.rate, c.frame_rate, c.glitch_test);
    EXPECT_EQ(acc, c.want_accumulator) << c.now - c.last_t << " ms at " << c.rate;
    EXPECT_EQ(rest, c.want_rest) << c.now - c.last_t << " ms at " << c.rate;
    EXPECT_EQ(last, c.now);
  }
}

// However short the host frames, the ticks keep the cart's rate exactly on
// average: what one frame's division leaves over counts in the next.
TEST(frame_step, AverageTickRateIsExactForAnyFrameLength) {
  struct rate_case {
    int32_t rate;
    std::vector<int32_t> frame_ms;  // repeated for a minute
  };
  const rate_case cases[] = {
      {30, {1}}, {30, {2}}, {30, {16, 17}}, {30, {1, 3, 7, 2}}, {60, {1}}, {60, {16, 17, 17}}, {60, {5}}, {15, {1}},
  };
  for (const rate_case& c : cases) {
    int32_t acc = 0, rest = 0, last = 100000, ticks = 0, now = 100000;
    for (size_t i = 0; now < 100000 + 60000; i++) {
      now += c.frame_ms[i % c.frame_ms.size()];
      if (now > 100000 + 60000) now = 100000 + 60000;
      tovo_frame_step(&acc, &rest, &last, now, c.rate, c.rate, 0);
      while (acc > 65535) {
        ticks++;
        acc -= TOVO_TICK;
      }
    }
    EXPECT_EQ(ticks, 60 * c.rate) << c.rate << " a second, first frame " << c.frame_ms[0] << " ms";
  }
}

TEST(frame_step, ThirtyOnASixtyHertzHostRunsEveryOtherFrame) {
  int32_t acc = 0, rest = 0, last = 0, ticks = 0, drawn = 0;
  tovo_frame_step(&acc, &rest, &last, 100000, 30, 30, 0);
  acc = 0;
  for (int frame = 1; frame <= 60; frame++) {
    tovo_frame_step(&acc, &rest, &last, 100000 + frame * 1000 / 60, 30, 30, 0);
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

// The least wait after which a step finds the tick due: a step one
// millisecond earlier would not.
TEST(frame_step, MillisecondsUntilTheNextTickIsDue) {
  const struct {
    int32_t accumulator, rate, frame_rate, want;
  } cases[] = {
      {0, 60, 60, 17},      // 16 ms credit 62914, 17 ms 66846
      {0, 30, 30, 34},      // 33 ms credit 64880
      {0, 15, 15, 67},      // at 15 frames a second
      {60000, 60, 60, 2},   // 1 ms credits 3932, 2 ms 7864
      {65535, 30, 30, 1},   // one unit short
      {65536, 60, 60, 0},   // due already
      {131071, 30, 30, 0},  // two ticks' credit
      {0, 30, 60, 34},      // paused at 30 while the cart runs at 60
      {0, 0, 30, 0},        // no rate, no wait
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tovo_ms_until_due(c.accumulator, 0, 5000, c.rate, c.frame_rate, TOVO_TICK), c.want)
        << c.accumulator << " at " << c.rate;
  }
  // Half a tick is due sooner, and the answer is always the least wait.
  EXPECT_EQ(tovo_ms_until_due(0, 0, 5000, 60, 60, TOVO_TICK / 2), 9);
  for (int32_t rate : {15, 30, 60}) {
    for (int32_t acc = 0; acc < TOVO_TICK; acc += 997) {
      const int32_t e = tovo_ms_until_due(acc, 0, 5000, rate, rate, TOVO_TICK);
      int32_t a = acc, r = 0, t = 5000;
      tovo_frame_step(&a, &r, &t, 5000 + e, rate, rate, 0);
      EXPECT_GE(a, TOVO_TICK) << acc << " at " << rate;
      a = acc;
      r = 0;
      t = 5000;
      tovo_frame_step(&a, &r, &t, 5000 + e - 1, rate, rate, 0);
      EXPECT_LT(a, TOVO_TICK) << acc << " at " << rate;
    }
  }
}

TEST(frame_step, IdleWaitLeavesThePumpSleepToTheNextFrame) {
  const int32_t cases[][3] = {{17, 1, 16}, {17, 0, 17}, {17, 10, 7}, {1, 1, 0}, {0, 1, 0}, {5, 200, 0}};
  for (const auto& c : cases) EXPECT_EQ(tovo_idle_wait_ms(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

// Host frames as the loop runs them when idle: each starts with the pump's
// sleep, and one with no tick due waits as told. Ticks come at the cart's
// rate, evenly, and every wait ends in a frame that runs a tick: two host
// frames a tick instead of one every millisecond.
TEST(frame_step, AnIdleLoopWakesTwiceATickAndKeepsTheRate) {
  for (int32_t rate : {15, 30, 60}) {
    for (int32_t sleep : {0, 1, 5}) {
      int32_t now = 100000, acc = 0, rest = 0, last = 0;
      tovo_frame_step(&acc, &rest, &last, now, rate, rate, 0);
      acc = 0;
      rest = 0;
      int32_t ticks = 0, frames = 0, waits_without_tick = 0, last_tick = now;
      int32_t shortest = 1000, longest = 0;
      bool waited = false;
      while (now < 100000 + 10000) {
        now += sleep;
        frames++;
        tovo_frame_step(&acc, &rest, &last, now, rate, rate, 0);
        if (acc < TOVO_TICK) {
          if (waited) waits_without_tick++;
          int32_t wait = tovo_idle_wait_ms(tovo_ms_until_due(acc, rest, last, rate, rate, TOVO_TICK), sleep);
          now += wait;
          waited = wait > 0;
          continue;
        }
        waited = false;
        while (acc > 65535) {
          if (ticks > 0) {
            shortest = std::min(shortest, now - last_tick);
            longest = std::max(longest, now - last_tick);
          }
          last_tick = now;
          ticks++;
          acc -= TOVO_TICK;
        }
      }
      const int32_t period = 1000 / rate;
      EXPECT_NEAR(ticks, 10 * rate, 2) << rate << " sleep " << sleep;
      EXPECT_LE(frames, 2 * ticks + 2) << rate << " sleep " << sleep;
      EXPECT_EQ(waits_without_tick, 0) << rate << " sleep " << sleep;
      EXPECT_GE(shortest, period) << rate << " sleep " << sleep;
      EXPECT_LE(longest, period + 2) << rate << " sleep " << sleep;
    }
  }
}

}  // namespace
