#pragma once
// The machine set up to render its screen, for tests of the console's
// rendering and of the shell's conversion: display 0 is a page of diagonal
// stripes of the sixteen colours ((x + y) & 15), the display palette maps
// colour c to c + 1 (wrapping), the secondary palette to 128 + c, screen
// mode 0, the draw target on the screen and no palette glitch. The machine
// state is put back as it was after each test.
#include <gtest/gtest.h>

#include <cstring>

#include "console/draw/extpal_glitch.h"
#include "console/machine/machine_record.h"
#include "console/machine/memory_map.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"

struct screen_fixture : ::testing::Test {
  void SetUp() override {
    saved = pstate();
    memset(pstate().ram, 0, sizeof pstate().ram);
    for (int i = 0; i < 16; i++) {
      pstate().screen_pal[i] = (i + 1) & 15;
      pstate().secondary_pal[i] = 128 + i;
    }
    page = tarq_create_bitmap(128, 128, 8);
    dst = tarq_create_bitmap(128, 128, 8);
    for (int y = 0; y < 128; y++)
      for (int x = 0; x < 128; x++) page->rows[y][x] = (uint8_t)((x + y) & 15);
    pstate().screens[0] = page;
    pstate().screen_mode = 0;
    pstate().ram[TOVO_REG_DRAW_TARGET] = 0x60;
    reset_extpal_glitch();
  }
  void TearDown() override {
    pstate() = saved;
    tarq_destroy_bitmap(page);
    tarq_destroy_bitmap(dst);
    reset_extpal_glitch();  // no glitch left running for the tests after
  }
  tarq_bitmap *page, *dst;
  tovo_machine_state saved;
};
