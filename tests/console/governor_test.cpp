// The frame-rate governor, the performance ring, and the memory limit.
#include <string>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/run.h"
#include "console/run/run_queries.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/gfx.h"
#include "script/vm/cpu.h"
#include "tests/support/cart_harness.h"

namespace {

using tovo_test::CartHarness;

class GovernorTest : public CartHarness {
 protected:
  void SetUp() override {
    CartHarness::SetUp();
    run_state().host_framerate_control = 1;
  }
  // Fills the history with one measured rate.
  void history(int32_t fps) {
    for (int32_t& f : run_state().fps_history) f = fps;
  }
  // Marks a frame that used `cost` of the budget (16.16) and took ms.
  void marks(int32_t cost, int32_t ms) {
    run_state().mark_cycles[0] = 0;
    run_state().mark_cycles[2] =
        static_cast<int32_t>(static_cast<long long>(cost) * (TOVO_CPU_HZ / run_state().target_fps) / 65536);
    run_state().mark_time[0] = 100;
    run_state().mark_time[2] = 100 + ms;
  }
};

TEST_F(GovernorTest, DecisionTable) {
  struct governor_case {
    const char* what;
    int current, target;
    int32_t fps;   // measured, whole history
    int32_t cost;  // of the last frame
    int32_t ms;    // between marks 0 and 2
    int32_t sleep;
    int control;
    int halve;
    int current_after;
    int code;
  } cases[] = {
      {"steady at 60", 60, 60, 60, 0x8000, 5, 0, 1, 0, 60, 0},
      {"slow host drops to 30", 60, 60, 50, 0x8000, 5, 0, 1, 0, 30, 8},
      {"no control: never drops", 60, 60, 10, 0x8000, 5, 0, 0, 0, 60, 0},
      {"back to 60 with room", 30, 60, 60, 0x8000, 5, 5, 1, 0, 60, 11},
      {"no room to go back", 30, 60, 60, 0xfd00, 5, 5, 1, 0, 30, 0},
      {"busy host: spare cpu", 30, 60, 60, 0x8000, 10, 10, 1, 0, 30, 2},
      {"rate below target", 30, 60, 40, 0xf900, 5, 0, 1, 0, 30, 0},
      {"halve request", 60, 60, 60, 0x8000, 5, 0, 1, 1, 30, 9},
      {"30 fps cart steady", 30, 30, 30, 0x8000, 5, 0, 1, 0, 30, 0},
  };
  for (const governor_case& c : cases) {
    run_state().current_fps = c.current;
    run_state().target_fps = c.target;
    run_state().host_framerate_control = c.control;
    run_state().halve_request = c.halve;
    run_state().last_cost = 0;
    run_state().drop_penalty = 0;
    run_state().drop_time = -100000;
    history(c.fps);
    marks(c.cost, c.ms);
    tovo_govern_frame_rate(c.fps, 0, 1, c.sleep);
    EXPECT_EQ(run_state().current_fps, c.current_after) << c.what;
    EXPECT_EQ(run_state().perf[run_state().perf_index][TOVO_PERF_CODE], c.code) << c.what;
    EXPECT_EQ(run_state().halve_request, 0) << c.what;
  }
}

TEST_F(GovernorTest, RepeatedDropsRaiseThePenalty) {
  run_state().current_fps = run_state().target_fps = 60;
  history(40);
  run_state().drop_time = -100000;
  tovo_govern_frame_rate(40, 1000, 1, 0);
  EXPECT_EQ(run_state().drop_penalty, 0);
  for (int i = 0; i < 8; i++) {
    run_state().current_fps = 60;
    tovo_govern_frame_rate(40, 1500 + i * 100, 1, 0);
    EXPECT_EQ(run_state().perf[run_state().perf_index][TOVO_PERF_CODE], 10);
  }
  EXPECT_EQ(run_state().drop_penalty, 5);
  // An inactive window adds nothing.
  run_state().current_fps = 60;
  tovo_govern_frame_rate(40, 2500, 0, 0);
  EXPECT_EQ(run_state().drop_penalty, 5);
  EXPECT_EQ(run_state().perf[run_state().perf_index][TOVO_PERF_CODE], 8);
}

TEST_F(GovernorTest, AverageCountsMeasuredEntriesOnly) {
  run_state().current_fps = run_state().target_fps = 60;
  run_state().fps_history[TOVO_FPS_HISTORY - 1] = 0;
  for (int i = 0; i < TOVO_FPS_HISTORY; i++) run_state().fps_history[i] = i < 20 ? 0 : 60;
  tovo_govern_frame_rate(60, 0, 1, 0);
  EXPECT_EQ(run_state().current_fps, 60);
}

TEST_F(GovernorTest, CapacityAndRing) {
  run_state().target_fps = 30;
  EXPECT_EQ(cycles_2_frame_capacity(279620), 0x10000);
  run_state().target_fps = 60;
  EXPECT_EQ(cycles_2_frame_capacity(139810 / 2), 0x8000);
  run_state().target_fps = 0;
  EXPECT_EQ(cycles_2_frame_capacity(279620), 0x10000);

  run_state().target_fps = run_state().current_fps = 30;
  start("while true do flip() end");
  int index = run_state().perf_index;
  tick();
  EXPECT_EQ(run_state().perf_index, (index + 2) % TOVO_PERF_ENTRIES);  // two entries at 30 fps
  int32_t* last = run_state().perf[(run_state().perf_index + TOVO_PERF_ENTRIES - 1) % TOVO_PERF_ENTRIES];
  EXPECT_EQ(last[TOVO_PERF_COLOUR], 6);
  EXPECT_GT(last[TOVO_PERF_MEMORY], 0);
  tovo_register_cycles_spent_in_skipped_frames(0x9000000);
  EXPECT_EQ(run_state().skipped_cycles, 0x8840000);
}

class MemoryLimitTest : public CartHarness {};

TEST_F(MemoryLimitTest, EndlessGrowthGetsOutOfMemoryAndAFreshState) {
  const char* carts[] = {
      "t={} i=0 while true do i+=1 t[i]={i,i,i,i} end",
      // 20 KiB long strings, kept: they count nothing in script memory, but
      // 80 MB of them pass the cap on the host memory.
      "s='0123456789' for i=1,11 do s=s..s end t={} for i=1,4000 do t[i]=s..i end done=1",
      // One joined string that the host memory ceiling refuses outright.
      "s='0123456789' for i=1,22 do s=s..s end t=s..s..s..s..s done=1",
  };
  for (const char* cart : carts) {
    SCOPED_TRACE(cart);
    run_state().exec = 1;
    testing::internal::CaptureStdout();
    start(cart);
    tick(40);
    std::string out = testing::internal::GetCapturedStdout();
    run_state().exec = 0;
    tarq_request_quit(0);
    EXPECT_EQ(run_state().running, 0);
    EXPECT_EQ(out, "out of memory\n");
    // A fresh state: the table the cart filled is gone with the old one.
    EXPECT_EQ(global("t"), "nil");
    EXPECT_EQ(global("done"), "nil");
    EXPECT_LE(pstate().script_memory + pstate().code_overhead, TOVO_MEMORY_LIMIT);
    // The fresh state runs the next cart.
    start("function _update() n=(n or 0)+1 end");
    tick(2);
    EXPECT_EQ(global("n"), "2");
  }
}

TEST_F(MemoryLimitTest, GarbageIsCollectedBetweenSlices) {
  start("function _update() for i=1,2000 do local t={i,i,i,i,i,i,i,i} end end");
  tick(200);
  EXPECT_EQ(run_state().running, 1);
  EXPECT_LT(pstate().script_memory, TOVO_MEMORY_LIMIT);
}

}  // namespace

namespace {

class OverlayTest : public tovo_test::CartHarness {
 protected:
  void SetUp() override {
    CartHarness::SetUp();
    bitmap = tarq_create_bitmap(128, 128, 8);
    for (int y = 0; y < 128; y++)
      for (int x = 0; x < 128; x++) bitmap->rows[y][x] = 5;
  }
  void TearDown() override {
    tarq_destroy_bitmap(bitmap);
    CartHarness::TearDown();
  }
  int changed_outside(int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = 0; y < 128; y++)
      for (int x = 0; x < 128; x++)
        if ((x < x0 || x > x1 || y < y0 || y > y1) && bitmap->rows[y][x] != 5) n++;
    return n;
  }
  tarq_bitmap* bitmap = nullptr;
};

TEST_F(OverlayTest, RingGraph) {
  run_state().target_fps = run_state().current_fps = 30;
  for (auto& e : run_state().perf) {
    e[TOVO_PERF_CPU] = 0x8000;
    e[TOVO_PERF_COLOUR] = 6;
  }
  run_state().perf[(run_state().perf_index + 10) % TOVO_PERF_ENTRIES][TOVO_PERF_COLOUR] = 0;
  run_state().perf[(run_state().perf_index + 11) % TOVO_PERF_ENTRIES][TOVO_PERF_CPU] = 0x40000;  // clamped
  draw_resource_data(bitmap);
  EXPECT_EQ(bitmap->rows[19][60], 2);
  EXPECT_EQ(bitmap->rows[14][60], 6);  // 19 - 0x8000 * 16 / 98304
  EXPECT_EQ(bitmap->rows[14][70], 1);  // no colour: 1
  EXPECT_EQ(bitmap->rows[4][71], 6);   // 19 - 0x17fff * 16 / 98304
  EXPECT_EQ(bitmap->rows[3][59], 0);   // the frame
  EXPECT_EQ(bitmap->rows[27][124], 0);
  EXPECT_EQ(changed_outside(59, 3, 124, 27), 0);
}

TEST_F(OverlayTest, SpinnerOnlyForABusyDrawingCart) {
  start("function _draw() end");
  run_state().frame_ticks = 240;
  tovo_test::fake_now = 120 * 7;
  draw_cpu_spinner(bitmap);
  EXPECT_EQ(changed_outside(200, 200, 200, 200), 0);  // not busy: nothing
  lua_add_cpu_cycles(L0(), 121 * 279620);
  draw_cpu_spinner(bitmap);
  EXPECT_GT(changed_outside(200, 200, 200, 200), 0);
  EXPECT_EQ(changed_outside(3, 3, 9, 9), 0);
  run_state().frame_ticks = 239;
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) bitmap->rows[y][x] = 5;
  draw_cpu_spinner(bitmap);
  EXPECT_EQ(changed_outside(200, 200, 200, 200), 0);
}

}  // namespace
