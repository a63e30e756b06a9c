#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "engine/data/bitmap_tools.h"
#include "tests/engine/gfx_test_util.h"

TEST(EngineDraw, RectanglesWithSwappedCornersDrawTheSame) {
  const int corners[][4] = {{1, 1, 4, 3}, {4, 3, 1, 1}, {4, 1, 1, 3}, {1, 3, 4, 1}};
  for (const auto& c : corners) {
    auto a = make_bitmap(6, 5);
    tarq_rect(a.get(), c[0], c[1], c[2], c[3], 1);
    EXPECT_EQ(picture(a.get()),
              "......\n"
              ".1111.\n"
              ".1..1.\n"
              ".1111.\n"
              "......\n");
    auto f = make_bitmap(6, 5, 32);
    tarq_rectfill(f.get(), c[0], c[1], c[2], c[3], 2);
    EXPECT_EQ(picture(f.get()),
              "......\n"
              ".2222.\n"
              ".2222.\n"
              ".2222.\n"
              "......\n");
  }
}

TEST(EngineDraw, SpansAreClippedForAnyIntegers) {
  auto b = make_bitmap(5, 4);
  tarq_set_clip(b.get(), 1, 1, 4, 3);
  tarq_hline(b.get(), INT_MAX, INT_MIN, 1, 3);
  tarq_vline(b.get(), 2, INT_MIN, INT_MAX, 4);
  tarq_rectfill(b.get(), INT_MIN, INT_MIN, INT_MIN, INT_MAX, 5);
  tarq_rect(b.get(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, 6);
  tarq_hline(b.get(), 0, 4, 0, 7);  // row outside the clip
  tarq_hline(nullptr, 0, 4, 0, 7);
  tarq_vline(tarq_video.tarq_screen, 0, 0, 4, 7);
  EXPECT_EQ(picture(b.get()),
            ".....\n"
            ".343.\n"
            "..4..\n"
            ".....\n");
}

TEST(EngineDraw, LitRectangleEdgesAndCorners) {
  auto b = make_bitmap(6, 5);
  tarq_rect_lit(b.get(), 1, 0, 4, 3, 0xa, 1, 0xb);
  EXPECT_EQ(picture(b.get()),
            ".1bbb.\n"
            ".a11b.\n"
            ".a11b.\n"
            ".aaa1.\n"
            "......\n");
}

TEST(EngineLine, LinesInsideTheClipStepFromCentreToCentre) {
  auto b = make_bitmap(7, 4);
  tarq_line(b.get(), 0, 0, 6, 3, 1);
  EXPECT_EQ(picture(b.get()),
            "1......\n"
            ".11....\n"
            "...11..\n"
            ".....11\n");
  auto c = make_bitmap(4, 4);
  tarq_line(c.get(), 3, 0, 0, 3, 2);
  tarq_line(c.get(), 0, 1, 0, 2, 3);  // vertical
  tarq_line(c.get(), 3, 3, 2, 3, 4);  // horizontal
  EXPECT_EQ(picture(c.get()),
            "...2\n"
            "3.2.\n"
            "32..\n"
            "2.44\n");
}

TEST(EngineLine, ClippedLinesDrawOnlyTheInsidePart) {
  auto b = make_bitmap(8, 8);
  tarq_set_clip(b.get(), 2, 2, 6, 6);
  tarq_line(b.get(), -10, 0, -2, 7, 1);  // wholly left of the clip
  tarq_line(b.get(), 0, 0, 7, 1, 1);     // wholly above
  for (int i = 0; i < 64; i++) EXPECT_EQ(b->pixels[i], 0) << i;
  tarq_line(b.get(), 0, 0, 7, 7, 2);  // the diagonal crosses the clip
  tarq_reset_clip(b.get());
  EXPECT_EQ(picture(b.get()),
            "........\n"
            "........\n"
            "..2.....\n"
            "...2....\n"
            "....2...\n"
            ".....2..\n"
            "........\n"
            "........\n");
}

TEST(EngineLine, ClippedEndsThatMeetInXGiveAVerticalSpan) {
  auto b = make_bitmap(6, 6);
  tarq_set_clip(b.get(), 2, 0, 3, 6);  // one column wide
  tarq_line(b.get(), 0, 1, 5, 4, 3);
  tarq_reset_clip(b.get());
  const std::string p = picture(b.get());
  int in_column = 0, elsewhere = 0;
  for (int y = 0; y < 6; y++)
    for (int x = 0; x < 6; x++)
      if (b->rows[y][x]) (x == 2 ? in_column : elsewhere)++;
  EXPECT_GE(in_column, 1) << p;
  EXPECT_EQ(elsewhere, 0) << p;
}

// Random lines, some with extreme ends: every pixel lies inside the clip,
// nothing hangs, and a line wholly inside draws both of its ends.
TEST(EngineLine, RandomLinesStayInsideTheClip) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> near(-40, 70), any(INT_MIN, INT_MAX), pick(0, 9);
  auto b = make_bitmap(32, 24);
  for (int i = 0; i < 3000; i++) {
    tarq_clear_bitmap(b.get());
    tarq_set_clip(b.get(), 3, 4, 29, 20);
    auto coord = [&] { return pick(rng) == 0 ? any(rng) : near(rng); };
    const int x0 = coord(), y0 = coord(), x1 = coord(), y1 = coord();
    tarq_line(b.get(), x0, y0, x1, y1, 9);
    for (int y = 0; y < 24; y++)
      for (int x = 0; x < 32; x++) {
        if (!b->rows[y][x]) continue;
        // clang-format off
        ASSERT_TRUE(x >= 3 && x < 29 && y >= 4 && y < 20) << x0 << "," << y0 << " " << x1 << "," << y1;
        // clang-format on
      }
    if (x0 >= 3 && x0 < 29 && x1 >= 3 && x1 < 29 && y0 >= 4 && y0 < 20 && y1 >= 4 && y1 < 20) {
      EXPECT_EQ(b->rows[y0][x0], 9);
      EXPECT_EQ(b->rows[y1][x1], 9);
    }
  }
  tarq_line_noclip(b.get(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1);  // long, but only the inside is walked
  EXPECT_EQ(b->rows[10][10], 1);
}
