// Carts run through the frame loop: extcmd("reset") plays the glitch and
// run() restarts quietly, both handing over to a fresh run of the working
// cart after the glitch's ticks; the mouse change flags and the sound
// snapshot that stat reads are collected at each tick.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/bindings/stat.h"
#include "console/draw/gfx_state.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/code_tabs.h"
#include "console/run/run.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/gfx.h"
#include "engine/platform/events.h"
#include "engine/platform/window.h"
#include "engine/tarq.h"
#include "player/boot.h"
#include "player/frame.h"
#include "player/frame_step.h"
#include "player/shell_state.h"
#include "script/api/api.h"
#include "tests/player/player_reset.h"
#include "tests/support/cart_machine.h"

namespace {

struct cart_frames : ::testing::Test {
  void SetUp() override {
    tovo_test::reset_player_globals();
    tovo_test::create_cart_machine();
    shell.mode = TOVO_MODE_STOPPED;
    shell.frame_rate = 30;
  }
  void TearDown() override {
    tovo_test::destroy_cart_machine();
    pstate().reset_counter = 0;
    shell.mode = 0;
    shell.program_started = 0;
    run_state().running = 0;
    run_state().pending_action = 0;
  }

  // One host frame 40 ms after the last: one tick at 30 frames a second.
  void frame() {
    app.accumulator = 0;
    app.last_t = tarq_get_time() + TOVO_TIME_OFFSET - 40;
    tovo_frame_update();
  }

  void start(const char* code) {
    tovo_test::set_cart_code(code);
    run_state().pending_action = TOVO_PENDING_RUN;
  }

  int32_t global_n(const char* name = "n") {
    if (!L0_cart()) return -1;
    lua_getglobal(L0_cart(), name);
    int32_t n = lua_type(L0_cart(), -1) == LUA_TNUMBER ? lua_tointeger(L0_cart(), -1) : -1;
    lua_pop(L0_cart(), 1);
    return n;
  }
};

TEST_F(cart_frames, ResetAndRunRestartTheCartAfterTheGlitch) {
  const char* calls[] = {"extcmd(\"reset\")", "run()"};
  for (const char* call : calls) {
    SCOPED_TRACE(call);
    char code[256];
    snprintf(code, sizeof code, "n=0\nfunction _update() n+=1 if n==3 then %s end end\n", call);
    start(code);
    std::vector<int32_t> seen;
    for (int i = 0; i < 14; i++) {
      frame();
      seen.push_back(global_n());
    }
    // Frames 1-3 count up; the glitch holds the count (at most the glitch's
    // first tick still runs a slice, none once the counter reaches 3); then
    // the cart starts afresh and counts from 1 again.
    ASSERT_EQ(shell.mode, TOVO_MODE_RUNNING);
    size_t three = 0;
    while (three < seen.size() && seen[three] != 3) three++;
    ASSERT_LT(three, seen.size());
    size_t again = three;
    while (again < seen.size() && seen[again] >= 3) again++;
    std::string shown;
    for (int32_t v : seen) shown += std::to_string(v) + " ";
    ASSERT_LT(again, seen.size()) << "the cart never restarted: " << shown;
    EXPECT_LE(seen[again], 1);
    EXPECT_LE(again - three, 8u) << "six glitch ticks, then the run";
    EXPECT_LE(seen[again - 1], 4) << "slices ran during the glitch: " << shown;
    EXPECT_EQ(pstate().reset_counter, 0);
    run_state().pending_action = TOVO_PENDING_SUSPEND;
    frame();
  }
}

TEST_F(cart_frames, MouseChangeFlagsAreCollectedEachTick) {
  tarq_bitmap* saved_page = tarq_window.tarq_back_page;
  tarq_window.tarq_back_page = tarq_create_bitmap(128, 128, 8);
  int32_t saved_lmb = tarq_state.lmb_key;
  tarq_state.lmb_key = 4;  // the 'a' key stands for the left button
  tarq_set_key(4, 0);
  tarq_set_mouse(10, 10);
  start("n=-1\nfunction _update() n=stat(37) end\n");
  frame();
  EXPECT_EQ(global_n(), 0) << "no comparison before the first reading";
  tarq_set_mouse(20, 10);
  frame();
  EXPECT_EQ(global_n(), 1) << "x moved";
  tarq_set_mouse(20, 30);
  tarq_set_key(4, 1);
  frame();
  EXPECT_EQ(global_n(), 6) << "y moved, left button down";
  frame();
  EXPECT_EQ(global_n(), 0) << "still: nothing changed, the last read cleared the flags";
  tarq_set_key(4, 0);
  tarq_state.lmb_key = saved_lmb;
  tarq_destroy_bitmap(tarq_window.tarq_back_page);
  tarq_window.tarq_back_page = saved_page;
  run_state().pending_action = TOVO_PENDING_SUSPEND;
  frame();
}

TEST_F(cart_frames, SoundQueriesReadTheSnapshotOfTheirTick) {
  // A stale snapshot saying channel 0 plays effect 3: the tick replaces it
  // with the mixer's present state (nothing plays) before the cart asks.
  start("function _update() n=stat(46) m=stat(50) end\n");
  frame();
  stat_inputs().snapshot.voice[0].sfx = &pstate().cart->sfx[3];
  stat_inputs().snapshot.voice[0].note = 5;
  frame();
  EXPECT_EQ(global_n(), -1);
  EXPECT_EQ(global_n("m"), -1);
  run_state().pending_action = TOVO_PENDING_SUSPEND;
  frame();
}

// With the run loop's clock held, host frames of any length give the cart
// exactly its frame rate: ten seconds of one-millisecond frames are 300
// updates at 30 frames a second and 600 at 60.
TEST_F(cart_frames, ShortHostFramesKeepTheCartsFrameRate) {
  struct rate_case {
    const char* code;
    int32_t per_second;
  };
  const rate_case cases[] = {
      {"n=0\nfunction _update() n+=1 end\n", 30},
      {"n=0\nfunction _update60() n+=1 end\n", 60},
  };
  for (const rate_case& c : cases) {
    SCOPED_TRACE(c.code);
    start(c.code);
    frame();
    ASSERT_EQ(shell.mode, TOVO_MODE_RUNNING);
    frame();  // the frame rate word follows the cart from its first frame on
    run_state().clock_held = 1;
    run_state().held_clock_ms = 500000;
    app.last_t = run_state().held_clock_ms + TOVO_TIME_OFFSET;
    app.accumulator = app.accumulator_rest = 0;
    int32_t before = global_n();
    for (int ms = 0; ms < 10000; ms++) {
      run_state().held_clock_ms++;
      tovo_frame_update();
    }
    EXPECT_EQ(global_n() - before, 10 * c.per_second);
    run_state().clock_held = 0;
    run_state().pending_action = TOVO_PENDING_SUSPEND;
    frame();
  }
}

// The boot's frame-rate figure counts host frames, drawn or not: an idle
// machine whose loop runs every few milliseconds (most frames have no tick
// due and are not drawn) is well above 30; one whose every frame takes
// longer than a tick is below.
TEST_F(cart_frames, BootFrameRateCountsHostFramesNotDraws) {
  struct fps_case {
    int32_t slow_ms;  // the frame after the first draw (the window still being made)
    std::vector<int32_t> frame_ms;
    bool below_30;
  };
  const fps_case cases[] = {
      {1, {1}, false},   {150, {1}, false}, {150, {2, 1}, false}, {16, {16, 17}, false},
      {33, {33}, false}, {34, {34}, true},  {40, {40}, true},     {60, {60, 20}, true},
  };
  tarq_bitmap* saved_page = tarq_window.tarq_back_page;
  tarq_window.tarq_back_page = tarq_create_bitmap(128, 128, 8);
  shell.display = tarq_create_bitmap(128, 128, 8);
  run_state().clock_held = 1;
  for (const fps_case& c : cases) {
    run_state().held_clock_ms = 300000;
    app.draw_calls = app.host_frames = 0;
    app.last_t = 0;  // as at start: the first update counts as the longest step and draws
    app.accumulator = app.accumulator_rest = 0;
    // The engine's loop: an update, then a draw unless the update skipped it.
    for (size_t i = 0; run_state().held_clock_ms < 300000 + 1700; i++) {
      run_state().held_clock_ms += i == 1 ? c.slow_ms : c.frame_ms[i % c.frame_ms.size()];
      tarq_loop.skip_frame = 0;
      tovo_frame_update();
      if (!tarq_loop.skip_frame) tovo_frame_draw();
    }
    EXPECT_EQ(get_boot_fps() <= 29, c.below_30) << "frames of " << c.frame_ms[0] << " ms: " << get_boot_fps();
  }
  run_state().clock_held = 0;
  shell.display = tarq_destroy_bitmap(shell.display);
  tarq_destroy_bitmap(tarq_window.tarq_back_page);
  tarq_window.tarq_back_page = saved_page;
}

}  // namespace
