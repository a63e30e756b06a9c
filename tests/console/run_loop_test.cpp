// The run loop: frame rates and budgets, pre-emption, programs without a main
// loop, _init, the memory limit, spend_cpu and refunds.
#include <cstdio>
#include <string>

#include "console/machine/address_space.h"
#include "console/machine/machine_record.h"
#include "console/machine/memory_map.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/run.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/spend_cpu.h"
#include "script/vm/cpu.h"
#include "tests/support/cart_harness.h"

namespace {

using tovo_test::CartHarness;

class RunLoopTest : public CartHarness {};

TEST_F(RunLoopTest, FrameRateSelectsTheSliceBudget) {
  start("function _update60() n=(n or 0)+1 end");
  ASSERT_EQ(run_state().running, 1);
  tick();
  EXPECT_EQ(run_state().current_fps, 60);
  EXPECT_EQ(run_state().target_fps, 60);
  tick();
  EXPECT_EQ(lua_cpu(L0()).cpu_cycles_slice_max, 139810);

  start("function _update() n=(n or 0)+1 end");
  tick(2);
  EXPECT_EQ(run_state().current_fps, 30);
  EXPECT_EQ(lua_cpu(L0()).cpu_cycles_slice_max, 279620);
  EXPECT_EQ(global("n"), "2");  // the first tick runs the top level and the first frame
}

TEST_F(RunLoopTest, EndlessLoopIsPreemptedEveryTick) {
  start("n=0 while true do n+=1 end");
  for (int i = 0; i < 3; i++) {
    tick();
    EXPECT_EQ(run_state().running, 1);
  }
  int first = std::stoi(global("n"));
  tick();
  EXPECT_GT(std::stoi(global("n")), first);
}

// A script function that a native function calls (here a __tostring that
// needs dozens of frames' budgets) cannot be suspended: the tick that runs
// out of budget inside it ends the program with a runtime error on the
// loop's line, instead of running on past the frame.
TEST_F(RunLoopTest, BudgetSpentInsideANonYieldableCallFailsInThatTick) {
  start(
      "t=setmetatable({},{__tostring=function()\n"
      "for i=1,3000 do for j=1,1000 do end end\n"
      "end})\n"
      "function _update() n=(n or 0)+1 if n==2 then tostr(t) end end");
  tick();
  EXPECT_EQ(run_state().running, 1);
  tick();
  EXPECT_EQ(run_state().running, 0);
  EXPECT_EQ(global("n"), "2");
  EXPECT_LT(lua_get_cpu_cycles(L0()), 2 * lua_cpu(L0()).cpu_cycles_slice_max);  // not dozens of frames
  EXPECT_NE(std::string(tovo_error_log())
                .find("runtime error line 2 tab 0\nfor i=1,3000 do for j=1,1000 do end end\n"
                      "attempt to yield from outside a coroutine\n"),
            std::string::npos)
      << tovo_error_log();
}

TEST_F(RunLoopTest, CartWithoutMainLoopRunsOnceAndStops) {
  start("n=(n or 0)+1 function _init() m=1 end");
  tick();
  EXPECT_EQ(run_state().running, 0);
  EXPECT_EQ(run_state().resumable, 0);
  EXPECT_EQ(global("n"), "1");
  EXPECT_EQ(global("m"), "1");
}

TEST_F(RunLoopTest, InitRunsOnceBeforeTheFrames) {
  start("function _init() i=(i or 0)+1 end function _update() u=(u or 0)+1 end function _draw() d=(d or 0)+1 end");
  tick(5);
  EXPECT_EQ(global("i"), "1");
  EXPECT_EQ(global("u"), "5");
  EXPECT_EQ(global("d"), "5");
  EXPECT_EQ(run_state().mainloop_exists, 2);
}

}  // namespace

namespace {

using tovo_test::CartHarness;

class PromptLineTest : public CartHarness {};

TEST_F(PromptLineTest, ResumeAndStep) {
  start("function _update() n=(n or 0)+1 end");
  tick(2);
  suspend_program();
  run_program("x=5", 1);  // a line runs on the command thread
  EXPECT_EQ(L0(), L0_command());
  tick();
  EXPECT_EQ(global("x"), "5");
  EXPECT_EQ(run_state().running, 0);
  run_program("r", 1);
  EXPECT_EQ(L0(), L0_cart());
  EXPECT_EQ(run_state().running, 1);
  tick();
  EXPECT_EQ(global("n"), "3");
  run_program(".", 1);
  EXPECT_EQ(run_state().step, 1);
  tick(2);  // flip() asks to stop after one frame
  EXPECT_EQ(global("n"), "4");
  EXPECT_EQ(run_state().running, 0);
}

TEST_F(PromptLineTest, NothingToResume) {
  run_state().exec = 1;
  testing::internal::CaptureStdout();
  run_program("resume", 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "nothing to resume\n");
  run_state().exec = 0;
}

// When a program stops, each group of registers that 0x5f2e does not keep
// goes back to its start value; the print group's font is read from memory
// when drawn, so a custom font the cart poked stays in memory either way.
TEST_F(RunLoopTest, AStopResetsTheGroupsThatAreNotKept) {
  const struct {
    int32_t keep_bit, address, value, reset;
  } cases[] = {
      {TOVO_KEEP_DRAW_PAL, TOVO_REG_DRAW_PAL + 3, 9, 3},
      {TOVO_KEEP_DRAW_PAL, TOVO_REG_DRAW_PAL, 4, TOVO_DRAW_PAL_TRANSPARENT},
      {TOVO_KEEP_PAL_MODE, TOVO_REG_PAL_MODE, 0x10, 0},
      {TOVO_KEEP_SOUND, TOVO_REG_SOUND + 2, 0x33, 0},
      {TOVO_KEEP_MASKS, TOVO_REG_MASKS, 0x37, TOVO_DEFAULT_MASKS},
      {TOVO_KEEP_PRINT, TOVO_REG_PRINT_STYLE, 0x81, 0},
      {TOVO_KEEP_PRINT, TOVO_REG_PRINT_STYLE + 3, 5, 0},
      {TOVO_KEEP_FILL_PATTERN, TOVO_REG_FILL_PATTERN + 1, 0xa5, 0},
      {TOVO_KEEP_PEN, TOVO_REG_PEN, 9, TOVO_DEFAULT_PEN},
      {TOVO_KEEP_MAPPING, TOVO_REG_SPRITE_SOURCE, TOVO_DEFAULT_DRAW_TARGET, 0},
      {TOVO_KEEP_MAPPING, TOVO_REG_DRAW_TARGET, 0, TOVO_DEFAULT_DRAW_TARGET},
  };
  for (const auto& c : cases)
    for (bool kept : {false, true}) {
      char code[200];
      snprintf(code, sizeof code, "poke(%d, %d) poke(%d, %d) poke(%d, 8, 9)", TOVO_REG_PERSIST, kept ? c.keep_bit : 0,
               c.address, c.value, TOVO_CUSTOM_FONT);
      start(code);
      tick(2);
      ASSERT_EQ(run_state().running, 0) << code;
      EXPECT_EQ(tovo_peek(&pstate(), pstate().cart, c.address), kept ? c.value : c.reset) << code;
      EXPECT_EQ(tovo_peek(&pstate(), pstate().cart, TOVO_CUSTOM_FONT + 1), 9) << code;
    }
}

TEST_F(RunLoopTest, ErrorsDuringTheResetGlitchAreNotReported) {
  start("x=nil+1");
  pstate().reset_counter = 2;
  tick();
  EXPECT_EQ(run_state().running, 1);  // the error path does not suspend
  EXPECT_STREQ(tovo_error_log(), "");
  pstate().reset_counter = 0;
}

}  // namespace

namespace {

class CoroutineSliceTest : public tovo_test::CartHarness {};

TEST_F(CoroutineSliceTest, BudgetInsideACoroutineResumesTransparently) {
  start(
      "co=cocreate(function() local n=0 for k=1,20 do for i=1,30000 do n=i end end yield(7) return n end) "
      "ok,r=coresume(co) ok2,r2=coresume(co) done=1");
  int ticks = 0;
  while (global("done") != "1" && ticks < 200) {
    tick();
    ticks++;
  }
  EXPECT_GT(ticks, 1);  // the loop needs more than one slice
  EXPECT_EQ(global("ok"), "true");
  EXPECT_EQ(global("r"), "7");
  EXPECT_EQ(global("r2"), "30000");
}

}  // namespace

namespace {

class RunNamesTest : public tovo_test::CartHarness {};

TEST_F(RunNamesTest, RunningFileNameAndCartId) {
  struct names_case {
    const char* current;
    const char* running;
    const char* lid;
  } cases[] = {
      {"/r/games/a.kx", "games/a.kx", ""},
      {"/home/u/bbs/carts/Abc-12.KX.png", "", "Abc-12"},
      {"other.kx", "other.kx", ""},
  };
  static const char* current = "";
  tovo_shell().current_filename = []() { return current; };
  tovo_shell().root_path = []() { return "/r/"; };
  tovo_shell().bbs_path = []() { return "/home/u/bbs/"; };
  for (const names_case& c : cases) {
    current = c.current;
    start("");
    EXPECT_STREQ(run_state().running_filename, c.running) << c.current;
    EXPECT_STREQ(run_state().running_cart_lid, c.lid) << c.current;
  }
  EXPECT_EQ(is_bbs_cart_file("/home/u/bbs/carts/x.kx"), 1);
  EXPECT_EQ(is_bbs_cart_file("/r/x.kx"), 0);
  install_fake_shell();
  EXPECT_EQ(is_bbs_cart_file("/home/u/bbs/carts/x.kx"), 0);
  char lid[16];
  get_lid_from_filename("x.kx", lid, sizeof lid);
  EXPECT_STREQ(lid, "x");
  get_lid_from_filename(".kx", lid, sizeof lid);  // no ".kx" after the first character
  EXPECT_STREQ(lid, "");
  get_lid_from_filename("a very long cart name.kx", lid, sizeof lid);
  EXPECT_STREQ(lid, "name");
}

TEST_F(RunNamesTest, CartDataIsSavedAtMostOnceASecond) {
  start("function _update() end");
  pstate().cart_data_dirty = 1;
  tick();
  EXPECT_EQ(fake_shell.cdata_saves, 1);
  tick(10);  // a third of a second
  EXPECT_EQ(fake_shell.cdata_saves, 1);
  tick(30);
  EXPECT_EQ(fake_shell.cdata_saves, 2);
  pstate().cart_data_dirty = 0;
}

}  // namespace
