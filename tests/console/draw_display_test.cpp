// Display selection: the number of displays from the back page, and the
// binding of sprite source and draw target per display.
#include <gtest/gtest.h>

#include "console/draw/gfx_state.h"
#include "console/machine/machine_record.h"
#include "engine/platform/window.h"
#include "tests/console/gfx_fixture.h"

namespace {

using DisplayTest = DrawTest;

TEST_F(DisplayTest, NumberOfDisplays) {
  tarq_bitmap* saved = tarq_window.tarq_back_page;
  struct Case {
    int width, height, expect;
  } cases[] = {{128, 128, 1},   {256, 128, 2}, {256, 256, 4}, {384, 128, 3},
               {1024, 1024, 4}, {100, 100, 1}, {144, 136, 1}};
  for (const Case& c : cases) {
    tarq_window.tarq_back_page = tarq_create_bitmap(c.width, c.height, 8);
    EXPECT_EQ(get_number_of_displays(), c.expect) << c.width << "x" << c.height;
    tarq_destroy_bitmap(tarq_window.tarq_back_page);
  }
  tarq_window.tarq_back_page = nullptr;
  EXPECT_EQ(get_number_of_displays(), 1);
  tarq_window.tarq_back_page = saved;
}

TEST_F(DisplayTest, SelectionRebindsTargetAndSource) {
  set_draw_display(2);
  EXPECT_EQ(pstate().draw_target, pstate().screens[2]);
  EXPECT_EQ(cart->gfx_view, cart->gfx);
  poke(0x5f54, 0x60);
  EXPECT_EQ(cart->gfx_view, pstate().screens[2]);
  poke(0x5f55, 0);
  EXPECT_EQ(pstate().draw_target, cart->gfx);
  set_draw_display(-5);
  EXPECT_EQ(pstate().display, 0);
  EXPECT_EQ(cart->gfx_view, pstate().screens[0]);
  // The clip registers follow the target; the sheet's own clip is whole.
  poke(0x5f55, 0x60);
  poke(0x5f20, 20);
  poke(0x5f54, 0);
  set_draw_display(1);
  EXPECT_EQ(pstate().screens[1]->clip_x0, 20);
  EXPECT_EQ(cart->gfx->clip_x0, 0);
}

}  // namespace
