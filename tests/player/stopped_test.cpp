// The stopped screen: its bar, its keys, and console scrolling.
#include <gtest/gtest.h>

#include <cstring>

#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/tarq.h"
#include "player/prompt_tools.h"
#include "player/shell_state.h"
#include "player/stopped.h"

namespace {

struct stopped : ::testing::Test {
  void SetUp() override {
    page = tarq_create_bitmap(128, 128, 8);
    pstate().draw_target = page;
    memset(&shell, 0, sizeof shell);
    memset(&button_state(), 0, sizeof button_state());
    tarq_request_quit(0);
  }
  void TearDown() override {
    pstate().draw_target = nullptr;
    tarq_destroy_bitmap(page);
    memset(&button_state(), 0, sizeof button_state());
    memset(pstate().held, 0, sizeof pstate().held);
    tarq_request_quit(0);
    pstate().ram[0x5f36] = 0;
  }
  tarq_bitmap* page = nullptr;
};

TEST_F(stopped, BarAtTheBottom) {
  draw_stopped_bar(page);
  for (int x = 0; x < 128; x++) {
    EXPECT_EQ(page->rows[120][x], 0);
    EXPECT_EQ(page->rows[127][x], 6);
  }
  EXPECT_EQ(page->rows[119][5], 0);
}

TEST_F(stopped, AnyOfTheFirstSixButtonsEndsTheProgram) {
  for (int b = 0; b < 8; b++) {
    memset(&button_state(), 0, sizeof button_state());
    tarq_request_quit(0);
    memset(pstate().held, 0, sizeof pstate().held);
    pstate().held[0][b] = 1;  // held now, not before: pressed this frame
    process_immediate_mode_keypresses();
    EXPECT_EQ(tarq_quit_requested(), b < 6 ? 1 : 0) << b;
  }
  memset(&button_state(), 0, sizeof button_state());
  tarq_request_quit(0);
  memset(pstate().held, 0, sizeof pstate().held);
  pstate().held[1][4] = 1;  // player 1 does not count
  process_immediate_mode_keypresses();
  EXPECT_EQ(tarq_quit_requested(), 0);
}

TEST_F(stopped, ScrollingMovesTheTextUpAndClearsBelow) {
  for (int y = 0; y < 128; y++) memset(page->rows[y], y & 15, 128);
  pstate().cursor_y = 100;
  scroll_immediate_mode_screen(6);
  EXPECT_EQ(pstate().cursor_y, 94);
  EXPECT_EQ(page->rows[0][3], 6);
  EXPECT_EQ(page->rows[121][3], (127) & 15);
  EXPECT_EQ(page->rows[122][3], 0);
  EXPECT_EQ(page->rows[127][3], 0);
  scroll_immediate_mode_screen(200);  // past the page: all cleared
  for (int y = 0; y < 128; y++) ASSERT_EQ(page->rows[y][7], 0) << y;
}

TEST_F(stopped, RunningCartCanTurnScrollingOff) {
  memset(page->rows[10], 9, 128);
  shell.mode = 1;
  shell.program_started = 1;
  pstate().ram[0x5f36] = 0x40;
  pstate().cursor_y = 50;
  scroll_immediate_mode_screen(6);
  EXPECT_EQ(pstate().cursor_y, 50);
  EXPECT_EQ(page->rows[10][0], 9);
}

}  // namespace
