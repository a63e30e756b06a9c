// The screen rendered as the shell stands, and the tv frame.
#include <gtest/gtest.h>

#include <cstring>

#include "console/draw/extpal_glitch.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "player/capture/screen_convert.h"
#include "player/shell_state.h"
#include "tests/console/golden.h"
#include "tests/console/screen_fixture.h"

namespace {

// The shell in a started program's running mode.
struct screen : screen_fixture {
  void SetUp() override {
    screen_fixture::SetUp();
    shell.mode = 1;
    shell.program_started = 1;
  }
  void TearDown() override {
    memset(&shell, 0, sizeof shell);
    screen_fixture::TearDown();
  }
};

// The shell's machine mode and its started flag decide whether the screen
// mode applies.
TEST_F(screen, ModesApplyOnlyToARunningProgram) {
  pstate().screen_mode = 134;
  blit_tovo_back_page_to_tovo_screen_into(0, dst);
  EXPECT_EQ(dst->rows[0][0], 15);  // from (127, 127), colour 14
  shell.mode = 0;
  blit_tovo_back_page_to_tovo_screen_into(0, dst);
  EXPECT_EQ(dst->rows[0][0], 1);
  shell.mode = 1;
  shell.program_started = 0;
  blit_tovo_back_page_to_tovo_screen_into(0, dst);
  EXPECT_EQ(dst->rows[0][0], 1);
}

TEST_F(screen, TvFrameSurroundsThePicture) {
  tarq_bitmap* back = tarq_create_bitmap(144, 136, 8);
  tarq_palette pal{};
  for (int i = 0; i < 256; i++) pal.rgb[i][0] = pal.rgb[i][1] = pal.rgb[i][2] = (uint8_t)(i * 16);
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) back->rows[y][x] = 7;
  tarq_bitmap* frame = tarq_create_bitmap(8, 64, 32);
  draw_tv_frame(back, frame, &pal);
  EXPECT_EQ(back->rows[4][8], 7);  // the picture moved to (8, 4)
  EXPECT_EQ(back->rows[131][135], 7);
  EXPECT_EQ(back->rows[0][0], 255);
  EXPECT_EQ(back->rows[68][1], 16 + 32);
  EXPECT_EQ(back->rows[68][142], 144 + 32);
  tarq_destroy_bitmap(frame);
  tarq_destroy_bitmap(back);
}

// The whole 144x136 back page with the tv frame, drawn as the draw step
// leaves it: the picture at the top left of a page cleared to 0. The rows
// above the moved picture and the columns to its left hold the clear colour
// (with the frame's three columns at each side and its corner pixel), not a
// copy of the picture.
TEST_F(screen, TvFramePageGolden) {
  tarq_bitmap* back = tarq_create_bitmap(144, 136, 8);
  tarq_palette pal{};
  for (int i = 0; i < 16; i++) {
    pal.rgb[i][0] = (uint8_t)(i * 16);
    pal.rgb[i][1] = (uint8_t)(255 - i * 16);
    pal.rgb[i][2] = (uint8_t)(i * 5);
  }
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) back->rows[y][x] = (uint8_t)(1 + (x / 8 + y / 8) % 15);
  tarq_bitmap* frame = tarq_create_bitmap(16, 64, 32);
  for (int y = 0; y < 64; y++)
    for (int x = 0; x < 16; x++) tarq_row32(frame, y)[x] = 0xff000000u | (uint32_t)(y * 3) << 16 | (uint32_t)x << 8;
  draw_tv_frame(back, frame, &pal);
  int stale = 0, first_x = -1, first_y = -1;
  for (int y = 0; y < 136; y++)
    for (int x = 3; x < 141; x++) {
      bool picture = x >= 8 && x < 136 && y >= 4 && y < 132;
      if (!picture && back->rows[y][x] != 0 && stale++ == 0) {
        first_x = x;
        first_y = y;
      }
    }
  EXPECT_EQ(stale, 0) << "outside the picture, first at (" << first_x << ", " << first_y << ")";
  std::vector<uint8_t> image(back->pixels, back->pixels + 144 * 136);
  check_golden("tv_frame_page", image, 144);
  tarq_destroy_bitmap(frame);
  tarq_destroy_bitmap(back);
}

}  // namespace
