// Lines, rectangles, circles and ovals: pixel tables from the documented
// cases, the clipped line against a naive stepper, rows against columns,
// the 32-bit oval fill against the 64-bit one, culling and CPU charges.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>
#include <utility>

#include "console/draw/gfx_shapes.h"
#include "console/machine/machine_record.h"
#include "tests/console/gfx_fixture.h"

namespace {

using Points = std::set<std::pair<int, int>>;

using ShapeTest = DrawTest;
using ShapeScriptTest = ScriptDrawTest;

class ShapeTableTest : public ScriptDrawTest {
 protected:
  Points drawn() {
    Points p;
    for (auto xy : pixels_not(0)) p.insert(xy);
    return p;
  }
  Points after(const std::string& code) {
    fill_screen(0);
    EXPECT_EQ(run(code), "") << code;
    return drawn();
  }
};

// Smallest x, y and largest x, y of the points.
std::array<int, 4> bounds(const Points& points) {
  std::array<int, 4> b{999, 999, -999, -999};
  for (auto [x, y] : points) {
    b[0] = std::min(b[0], x), b[1] = std::min(b[1], y), b[2] = std::max(b[2], x), b[3] = std::max(b[3], y);
  }
  return b;
}

Points box(int x0, int y0, int x1, int y1) {
  Points p;
  for (int y = y0; y <= y1; y++) {
    for (int x = x0; x <= x1; x++) p.insert({x, y});
  }
  return p;
}

TEST_F(ShapeTableTest, DocumentedShapes) {
  EXPECT_EQ(after("line(0,0,3,1,7)"), (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
  EXPECT_EQ(after("clip(0,1,128,126) line(0,0,10,5,7)").count({1, 1}), 1u);
  EXPECT_EQ(after("clip(0,1,128,126) line(0,0,10,5,7)").count({0, 0}), 0u);
  EXPECT_EQ(after("clip() rect(5,5,5,5,7)"), (Points{{5, 5}}));
  EXPECT_EQ(after("rect(0,0,4,2,7)"),
            (Points{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {0, 1}, {4, 1}, {0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}}));
  EXPECT_EQ(after("circ(64,64,0,7)"), (Points{{64, 64}}));
  EXPECT_EQ(after("circ(64,64,1,7)"), (Points{{64, 63}, {63, 64}, {65, 64}, {64, 65}}));
  EXPECT_EQ(after("oval(0,0,1,10,7)"), box(0, 0, 1, 10));
  EXPECT_TRUE(after("circ(64,64,300,7)").empty());
  EXPECT_EQ(after("circfill(64,64,300,7)"), box(0, 0, 127, 127));
  EXPECT_EQ(after("clip(10,20,30,40) circfill(64,64,300,7)"), box(10, 20, 39, 59));
  EXPECT_TRUE(after("circ(64,64,-1,7)").empty());
  EXPECT_TRUE(after("circ(64)").empty());
}

TEST_F(ShapeTableTest, CircleFromDefaultsAndHalfRadius) {
  // circfill(64,64,2.5): the 5x5 box 62..66 without 0x5f36 bit 1, the 6x6
  // box 62..67 with it.
  EXPECT_EQ(bounds(after("circfill(64,64,2.5,7)")), (std::array<int, 4>{62, 62, 66, 66}));
  poke(0x5f36, 2);
  EXPECT_EQ(bounds(after("circfill(64,64,2.5,7)")), (std::array<int, 4>{62, 62, 67, 67}));
  EXPECT_EQ(bounds(after("circfill(64,64,2.25,7)")), (std::array<int, 4>{62, 62, 66, 66}));
  // r defaults to 4; the colour of a circ call sets the pen.
  Points four = after("circ(20,20,nil,9)");
  EXPECT_EQ(four.count({24, 20}), 1u);
  EXPECT_EQ(pstate().pen, 9);
}

TEST_F(ShapeTableTest, LineEndPoint) {
  EXPECT_TRUE(after("line() line(10,10,7)").empty());
  EXPECT_EQ(after("line(20,10)"), box(10, 10, 20, 10));
  EXPECT_EQ(pstate().pen, 7);
  EXPECT_EQ(after("line(20,12)"), box(20, 10, 20, 12));  // continues from the last end
  EXPECT_EQ(pstate().line_end_y, 12);
  EXPECT_EQ(after("line(1,1,2,2) line(3,3)"), (Points{{1, 1}, {2, 2}, {3, 3}}));
  EXPECT_TRUE(after("line(5) line(9,9)").empty());  // one argument: colour, no end point
  EXPECT_EQ(pstate().pen, 5);
  ASSERT_EQ(run("camera(10, 0) line(15,0,16,0)"), "");
  EXPECT_EQ(pstate().line_end_x, 16);  // kept before the camera
}

TEST_F(ShapeTableTest, RectEdgesOnceAndCost) {
  poke(0x5f5e, 0x11);  // a partial mask shows nothing, so count the charge
  EXPECT_EQ(cost("rect", "0,0,39,9,1"), 2 * ((40 + 40 + 8 + 8) / 16));
  EXPECT_EQ(cost("rectfill", "0,0,39,9,1"), 2 * (400 / 16));
  EXPECT_EQ(cost("rectfill", "200,0,300,9,1"), 0);  // nothing visible: no charge
  EXPECT_EQ(cost("line", "0,0,100,50,1"), 2 * (101 / 2));
  EXPECT_EQ(cost("line", "0,5,127,5,1"), 2 * (128 / 16));
  EXPECT_EQ(cost("line", "-50,-5,-1,-40,1"), 2);  // spend_cpu(0) still charges
  ASSERT_EQ(run("rect(0, 0, 10, 10, 7)"), "");
  EXPECT_EQ(global_type("x"), LUA_TNIL);
}

// The clipped line against testing every point of the stepper.
TEST_F(ShapeTest, ClippedLineMatchesNaiveStepper) {
  uint32_t seed = 99;
  auto next = [&seed](int range) { return seed = seed * 1664525u + 1013904223u, int((seed >> 8) % range); };
  tarq_bitmap* reference = tarq_create_bitmap(128, 128, 8);
  for (int round = 0; round < 4000; round++) {
    const int spread = round % 3 == 0 ? 600 : 200;
    int x0 = next(spread) - spread / 3, y0 = next(spread) - spread / 3;
    int x1 = next(spread) - spread / 3, y1 = next(spread) - spread / 3;
    const int cx0 = next(128), cy0 = next(128);
    const int cx1 = cx0 + next(129 - cx0), cy1 = cy0 + next(129 - cy0);
    tarq_set_clip(screen(), cx0, cy0, cx1, cy1);
    tarq_set_clip(reference, cx0, cy0, cx1, cy1);
    tarq_clear_bitmap(screen());
    tarq_clear_bitmap(reference);
    const int32_t count = draw_line(screen(), x0, y0, x1, y1, 7);
    if (y1 < y0) std::swap(x0, x1), std::swap(y0, y1);
    const tovo_line_steps s = tovo_line_setup(x0, y0, x1, y1);
    int32_t naive = 0;
    for (int64_t k = 0; k <= s.n; k++) {
      const int x = tovo_line_x(s, k), y = tovo_line_y(s, k);
      if (x >= cx0 && x < cx1 && y >= cy0 && y < cy1) {
        reference->pixels[y * 128 + x] = 7;
        naive++;
      }
    }
    // clang-format off
    ASSERT_EQ(count, naive) << x0 << "," << y0 << " " << x1 << "," << y1;
    // clang-format on
    ASSERT_EQ(0, std::memcmp(screen()->pixels, reference->pixels, 128 * 128)) << round;
  }
  tarq_destroy_bitmap(reference);
}

TEST_F(ShapeTest, RectfillRowsEqualColumns) {
  // 3x20 goes in columns and 20x3 in rows; with patterns and masks the pixels
  // equal a row-by-row fill of the same box.
  tarq_bitmap* reference = tarq_create_bitmap(128, 128, 8);
  pstate().fill_pattern = 0x1a5c3;
  pstate().write_mask = 13;
  for (auto [w, h] : {std::pair{3, 20}, std::pair{20, 3}, std::pair{8, 6}, std::pair{1, 1}}) {
    for (int i = 0; i < 128 * 128; i++) screen()->pixels[i] = reference->pixels[i] = static_cast<uint8_t>(i % 17);
    EXPECT_EQ(tovo_rectfill_box(screen(), 5, 7, 5 + w - 1, 7 + h - 1, 0x9e), w * h);
    for (int y = 7; y < 7 + h; y++) draw_hline(reference, 5, 5 + w - 1, y, 0x9e);
    EXPECT_EQ(0, std::memcmp(screen()->pixels, reference->pixels, 128 * 128)) << w << "x" << h;
  }
  tarq_destroy_bitmap(reference);
}

TEST_F(ShapeTest, OvalFill32BitMatches64Bit) {
  tarq_bitmap* reference = tarq_create_bitmap(128, 128, 8);
  for (int w = 0; w < 128; w++) {
    for (int h = 0; h < 128; h++) {
      const int rx = w >> 1, ry = h >> 1, ex = w & 1, ey = h & 1;
      tarq_clear_bitmap(screen());
      tarq_clear_bitmap(reference);
      const int32_t a = fill_ellipse_1_32bit(screen(), 63, 60, rx, ry, ex, ey, 7);
      const int32_t b = fill_ellipse_1(reference, 63, 60, rx, ry, ex, ey, 7);
      ASSERT_EQ(a, b) << w << "x" << h;
      ASSERT_EQ(0, std::memcmp(screen()->pixels, reference->pixels, 128 * 128)) << w << "x" << h;
    }
  }
  tarq_destroy_bitmap(reference);
}

// Every filled oval covers its outline, stays inside its box and touches all
// four sides; outlines are symmetric.
TEST_F(ShapeTest, OvalsFitTheirBoxes) {
  for (int w = 2; w < 60; w += 3) {
    for (int h = 2; h < 60; h += 5) {
      tarq_clear_bitmap(screen());
      draw_filloval(screen(), 10, 10, 10 + w, 10 + h, 1);
      draw_oval(screen(), 10, 10, 10 + w, 10 + h, 2);
      Points all;
      for (auto [x, y] : pixels_not(0)) {
        all.insert({x, y});
        EXPECT_EQ(px(10 + w - (x - 10), y), px(x, y)) << w << "x" << h;  // mirror left-right
        EXPECT_EQ(px(x, 10 + h - (y - 10)), px(x, y)) << w << "x" << h;  // mirror top-bottom
      }
      EXPECT_EQ(bounds(all), (std::array<int, 4>{10, 10, 10 + w, 10 + h})) << w << "x" << h;
    }
  }
}

TEST_F(ShapeTest, HugeOvalsAreExactWhereVisible) {
  // A huge circle crossing the screen: the outline points inside the clip
  // match the ellipse stepper run on the same values without culling.
  tarq_bitmap* reference = tarq_create_bitmap(128, 128, 8);
  const int32_t r = 20000;
  draw_oval(screen(), 64 - r, 120 - 2 * r, 64 + r, 120, 7);
  draw_ellipse_1(reference, 64, 120 - r, r, r, 0, 0, 7);
  EXPECT_EQ(0, std::memcmp(screen()->pixels, reference->pixels, 128 * 128));
  EXPECT_FALSE(pixels_not(0).empty());
  // The fill below it covers every row from the top to the curve.
  tarq_clear_bitmap(screen());
  EXPECT_GT(draw_filloval(screen(), 64 - r, 120 - 2 * r, 64 + r, 120, 3), 128 * 100);
  EXPECT_EQ(px(0, 0), 3);
  EXPECT_EQ(px(64, 120), 3);
  EXPECT_EQ(px(64, 121), 0);
  tarq_destroy_bitmap(reference);
}

TEST_F(ShapeScriptTest, OvalChargesFollowTheirCounts) {
  poke(0x5f5e, 0);                          // nothing changes, only the charges
  EXPECT_EQ(cost("circ", "64,64,300"), 2);  // culled: spend_cpu(0)
  EXPECT_EQ(cost("circfill", "64,64,300"), 2 * (128 * 128 / 16));
  EXPECT_EQ(cost("oval", "0,0,1,10"), 2 * (22 / 2));
  EXPECT_EQ(cost("circ", "64,64,-2"), 0);
}

TEST_F(ShapeTest, TintedRect) {
  for (int i = 0; i < 16; i++) screen()->pixels[i] = static_cast<uint8_t>(i);
  screen()->pixels[16] = 0x17;  // a value above 15 reads as 7
  draw_tinted_rect_adaptive(screen(), 0, 0, 16, 0, 0);
  for (int i = 0; i < 16; i++) EXPECT_EQ(px(i, 0), i >= 6 ? 1 : 0) << i;
  EXPECT_EQ(px(16, 0), 1);
  // Mode 1: two thirds of the pixels at or below the threshold rank.
  for (int i = 0; i < 12; i++) screen()->pixels[128 + i] = i < 8 ? 0 : 7;
  draw_tinted_rect_adaptive(screen(), 0, 1, 11, 1, 1);
  for (int i = 0; i < 12; i++) EXPECT_EQ(px(i, 1), i < 8 ? 0 : 1) << i;
  // A rectangle reaching outside the bitmap recolours only its inside part.
  fill_screen(9);
  draw_tinted_rect_adaptive(screen(), -10, 120, 200, 300, 0);
  EXPECT_EQ(px(0, 127), 1);
  EXPECT_EQ(px(127, 120), 1);
  EXPECT_EQ(px(0, 119), 9);
}

}  // namespace
