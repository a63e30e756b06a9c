// The draw half of the frame loop on a back page of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "console/draw/gfx_state.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/gfx.h"
#include "engine/platform/window.h"
#include "player/frame.h"
#include "player/shell_state.h"
#include "tests/player/player_reset.h"

namespace {

struct frame_draw : ::testing::Test {
  void SetUp() override {
    tovo_test::reset_player_globals();
    for (int i = 0; i < 4; i++) pstate().screens[i] = tarq_create_bitmap(128, 128, 8);
    pstate().draw_target = pstate().screens[0];
    shell.display = tarq_create_bitmap(128, 128, 8);
    saved_back = tarq_window.tarq_back_page;
    tarq_window.tarq_back_page = tarq_create_bitmap(256, 128, 8);
    for (int i = 0; i < 16; i++) pstate().screen_pal[i] = i;
    run_state().pending_action = 0;
  }
  void TearDown() override {
    for (tarq_bitmap*& s : pstate().screens) s = tarq_destroy_bitmap(s);
    pstate().draw_target = nullptr;
    shell.display = tarq_destroy_bitmap(shell.display);
    tarq_destroy_bitmap(tarq_window.tarq_back_page);
    tarq_window.tarq_back_page = saved_back;
    memset(&shell, 0, sizeof shell);
    memset(pstate().ram, 0, sizeof pstate().ram);
    run_state().pending_action = 0;
  }
  tarq_bitmap* saved_back = nullptr;
};

TEST_F(frame_draw, StoppedScreenShowsTheBar) {
  shell.mode = TOVO_MODE_STOPPED;
  pstate().screen_pal[6] = 13;  // through the display palette
  tovo_frame_draw();
  EXPECT_EQ(tarq_window.tarq_back_page->rows[125][10], 13);
  EXPECT_EQ(tarq_window.tarq_back_page->rows[120][10], 0);
}

// Whatever the page held before is gone after a frame: where the display is
// not copied (a wider page, a narrowed clip) the page is cleared, and where
// it covers the page, the display's bytes replace the old ones.
TEST_F(frame_draw, NothingOfThePreviousFrameStays) {
  const struct {
    const char* what;
    int32_t width, clip_x1;
    int32_t x;      // the column looked at, in row 64
    int32_t shown;  // what it holds after the frame
  } cases[] = {
      {"a page the size of the display", 128, 128, 100, 5}, {"beside the display on a wider page", 256, 256, 200, 0},
      {"the display on a wider page", 256, 256, 100, 5},    {"outside a narrowed clip", 128, 96, 100, 0},
      {"inside a narrowed clip", 128, 96, 90, 5},
  };
  shell.mode = TOVO_MODE_RUNNING;
  shell.program_started = 0;  // the display is screen 0 as it is
  memset(pstate().screens[0]->pixels, 5, 128 * 128);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    tarq_destroy_bitmap(tarq_window.tarq_back_page);
    tarq_bitmap* page = tarq_window.tarq_back_page = tarq_create_bitmap(c.width, 128, 8);
    page->clip_x1 = c.clip_x1;
    memset(page->pixels, 9, static_cast<size_t>(c.width) * 128);
    tovo_frame_draw();
    EXPECT_EQ(page->rows[64][c.x], c.shown);
  }
}

TEST_F(frame_draw, PendingActionKeepsThePreviousFrame) {
  memset(tarq_window.tarq_back_page->pixels, 9, 256 * 128);
  run_state().pending_action = TOVO_PENDING_RUN;
  tovo_frame_draw();
  EXPECT_EQ(tarq_window.tarq_back_page->rows[125][10], 9);
  EXPECT_EQ(app.draw_calls, 1);  // still counted for the boot's frame rate
}

TEST_F(frame_draw, ExtraDisplaysOnlyWhenTheCartAsks) {
  shell.mode = TOVO_MODE_RUNNING;
  pstate().ram[0x5f55] = 0x60;
  const struct {
    const char* what;
    int32_t started, bit, tv_frame;
    const char* lid;
    bool shown;
  } cases[] = {
      {"asked", 1, 1, 0, "", true},
      {"not asked", 1, 0, 0, "", false},
      {"not started", 0, 1, 0, "", false},
      {"tv frame", 1, 1, 1, "", false},
      {"bulletin-board cart", 1, 1, 0, "4321", false},
  };
  for (const auto& c : cases) {
    shell.program_started = c.started;
    pstate().ram[0x5f36] = (uint8_t)c.bit;
    app.tv_frame = c.tv_frame;
    snprintf(run_state().running_cart_lid, sizeof run_state().running_cart_lid, "%s", c.lid);
    memset(pstate().screens[1]->pixels, 4, 128 * 128);
    memset(tarq_window.tarq_back_page->pixels, 9, 256 * 128);
    set_draw_display(1);  // where the cart's _draw left it
    tovo_frame_draw();
    if (c.shown) {
      EXPECT_EQ(tarq_window.tarq_back_page->rows[5][200], 4) << c.what;
      EXPECT_EQ(pstate().display, 1) << c.what;
      continue;
    }
    EXPECT_NE(tarq_window.tarq_back_page->rows[5][200], 4) << c.what;
    EXPECT_EQ(pstate().screens[1]->rows[5][5], 0) << c.what << ": the other displays emptied";
    EXPECT_EQ(pstate().display, 0) << c.what;
    EXPECT_EQ(pstate().draw_target, pstate().screens[0]) << c.what;
  }
  app.tv_frame = 0;
  run_state().running_cart_lid[0] = 0;
}

}  // namespace
