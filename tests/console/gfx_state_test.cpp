// The pixel pipeline and draw state: pattern bit order, transparent pattern
// bits, colour pairs, masks, colour resolution, palettes, clip, camera and
// fillp, through the bindings as scripts call them.
#include <gtest/gtest.h>

#include <algorithm>

#include "console/draw/extpal_glitch.h"
#include "console/draw/gfx_colour.h"
#include "console/draw/gfx_pixel.h"
#include "console/draw/gfx_shapes.h"
#include "console/draw/gfx_state.h"
#include "console/machine/machine_record.h"
#include "tests/console/gfx_fixture.h"

namespace {

using PixelTest = DrawTest;
using DrawStateTest = ScriptDrawTest;

// The random numbers of the tests that draw at random against putpixel.
struct random_numbers {
  uint32_t seed;
  uint32_t operator()() { return seed = seed * 1103515245u + 12345u, seed >> 8; }
};

// Random old pixels (some above 15) on screen and the same on reference,
// and one random clip rectangle on both.
void random_pixels_and_clip(tarq_bitmap* screen, tarq_bitmap* reference, random_numbers& next) {
  for (int i = 0; i < 128 * 128; i++) screen->pixels[i] = reference->pixels[i] = static_cast<uint8_t>(next() % 20);
  const int cx0 = static_cast<int>(next() % 128), cy0 = static_cast<int>(next() % 128);
  const int cx1 = cx0 + static_cast<int>(next() % (129 - cx0)), cy1 = cy0 + static_cast<int>(next() % (129 - cy0));
  tarq_set_clip(screen, cx0, cy0, cx1, cy1);
  tarq_set_clip(reference, cx0, cy0, cx1, cy1);
}

// Random masks: every fourth round all bitplanes written.
void random_masks(int round, random_numbers& next) {
  pstate().write_mask = static_cast<int32_t>(round % 4 == 0 ? 15 : next() & 15);
  pstate().read_mask = static_cast<int32_t>(next() & 15);
}

TEST_F(PixelTest, PatternBitOrderStartsTopLeft) {
  // 0x8000 is (0,0); 0x0800 is (0,1); 0x4000 is (1,0); 0x0001 is (3,3).
  EXPECT_EQ(tovo_pattern_bit(0x8000, 0, 0), 1u);
  EXPECT_EQ(tovo_pattern_bit(0x8000, 4, 4), 1u);
  EXPECT_EQ(tovo_pattern_bit(0x8000, 1, 0), 0u);
  EXPECT_EQ(tovo_pattern_bit(0x4000, 1, 0), 1u);
  EXPECT_EQ(tovo_pattern_bit(0x0800, 0, 1), 1u);
  EXPECT_EQ(tovo_pattern_bit(0x0001, 3, 3), 1u);
  EXPECT_EQ(tovo_pattern_bit(0x0001, -1, -1), 1u);  // negative coordinates wrap the cell
}

TEST_F(PixelTest, PutpixelRule) {
  struct Case {
    uint32_t colour, pattern;
    int32_t mask_byte;
    uint8_t old;
    int x, y;
    uint8_t expect;
  } cases[] = {
      {0x07, 0, 0xff, 3, 5, 5, 7},                                      // plain
      {0x12, 0x8000, 0xff, 0, 0, 0, 1},                                 // pattern bit 1: high nibble
      {0x12, 0x8000, 0xff, 0, 1, 0, 2},                                 // pattern bit 0: low nibble
      {0x07, 0x18000, 0xff, 9, 0, 0, 9},                                // transparent bit skips bit-1 pixels
      {0x07, 0x18000, 0xff, 9, 1, 0, 7}, {0x0f, 0, 0x33, 8, 2, 2, 11},  // write mask 3, read mask 3: 3 | 8
      {0x0c, 0, 0x3f, 0, 2, 2, 0},                                      // read mask 3 over 12
      {0x05, 0, 0xff, 0x1c, 2, 2, 5},                                   // old value above 15 is masked away
      {0x05, 0, 0xf1, 0x1c, 2, 2, 13},                                  // kept bits of an old 0x1c: 12, plus 1
  };
  for (const Case& c : cases) {
    poke(0x5f5e, c.mask_byte);
    screen()->pixels[c.y * 128 + c.x] = c.old;
    tovo_putpixel(screen(), c.x, c.y, c.colour, c.pattern);
    // clang-format off
    EXPECT_EQ(px(c.x, c.y), c.expect) << std::hex << c.colour << " " << c.pattern << " " << c.mask_byte;
    // clang-format on
  }
}

TEST_F(PixelTest, PutpixelClips) {
  poke(0x5f20, 10);
  tovo_putpixel(screen(), 9, 50, 7, 0);
  tovo_putpixel(screen(), 10, 50, 7, 0);
  EXPECT_EQ(px(9, 50), 0);
  EXPECT_EQ(px(10, 50), 7);
  tovo_putpixel(screen(), -1, 0, 7, 0);
  tovo_putpixel(screen(), 128, 0, 7, 0);
  EXPECT_EQ(pixels_not(0).size(), 1u);
}

// The span and column writers (through draw_hline and draw_vline, which
// clip) against putpixel at random spans, patterns, masks and clips.
TEST_F(PixelTest, SpansMatchPutpixel) {
  random_numbers next{12345};
  tarq_bitmap* reference = tarq_create_bitmap(128, 128, 8);
  for (int round = 0; round < 3000; round++) {
    random_pixels_and_clip(screen(), reference, next);
    // Every third round a pattern with whole rows of one bit (rows of one
    // colour, or left alone).
    const uint32_t whole_rows[] = {0, 0xffff, 0x1ffff, 0xf0f0, 0x10f0f, 0xff00};
    const uint32_t pattern = round % 3 == 0 ? whole_rows[next() % 6] : next() & 0x1ffff;
    const uint32_t colour = next() & 0xff;
    pstate().fill_pattern = static_cast<int32_t>(pattern);
    random_masks(round, next);
    const int at = static_cast<int>(next() % 140) - 6;
    const int a = static_cast<int>(next() % 160) - 16, b = static_cast<int>(next() % 160) - 16;
    if (round % 2 == 0) {
      draw_hline(screen(), a, b, at, colour);
      for (int x = std::min(a, b); x <= std::max(a, b); x++) tovo_putpixel(reference, x, at, colour, pattern);
    } else {
      draw_vline(screen(), at, a, b, colour);
      for (int y = std::min(a, b); y <= std::max(a, b); y++) tovo_putpixel(reference, at, y, colour, pattern);
    }
    ASSERT_EQ(0, std::memcmp(screen()->pixels, reference->pixels, 128 * 128)) << "round " << round;
  }
  tarq_destroy_bitmap(reference);
}

// Lines and plotted pixels, which work the rule out once for many pixels,
// against putpixel at random patterns, masks, colour pairs, clips and old
// pixels (some above 15).
TEST_F(PixelTest, PenMatchesPutpixel) {
  random_numbers next{777};
  tarq_bitmap* reference = tarq_create_bitmap(128, 128, 8);
  for (int round = 0; round < 2000; round++) {
    random_pixels_and_clip(screen(), reference, next);
    const uint32_t pattern = round % 3 == 0 ? 0 : next() & 0x1ffff;
    const uint32_t colour = next() & 0xff;
    pstate().fill_pattern = static_cast<int32_t>(pattern);
    random_masks(round, next);
    if (round % 2 == 0) {
      int x0 = static_cast<int>(next() % 200) - 36, y0 = static_cast<int>(next() % 200) - 36;
      int x1 = static_cast<int>(next() % 200) - 36, y1 = static_cast<int>(next() % 200) - 36;
      draw_line(screen(), x0, y0, x1, y1, colour);
      if (y1 < y0) std::swap(x0, x1), std::swap(y0, y1);
      const tovo_line_steps s = tovo_line_setup(x0, y0, x1, y1);
      for (int64_t k = 0; k <= s.n; k++)
        tovo_putpixel(reference, tovo_line_x(s, k), tovo_line_y(s, k), colour, pattern);
    } else {
      const tovo_pen pen = tovo_make_pen(screen(), colour, pattern);
      for (int i = 0; i < 300; i++) {
        const int x = static_cast<int>(next() % 150) - 11, y = static_cast<int>(next() % 150) - 11;
        tovo_pen_plot(pen, x, y);
        tovo_putpixel(reference, x, y, colour, pattern);
      }
    }
    ASSERT_EQ(0, std::memcmp(screen()->pixels, reference->pixels, 128 * 128)) << "round " << round;
  }
  tarq_destroy_bitmap(reference);
}

TEST_F(PixelTest, ColourResolution) {
  pstate().draw_pal[3] = 0x19;  // 3 drawn as 9 (transparent bit ignored for shapes)
  pstate().draw_pal[1] = 0x04;
  EXPECT_EQ(tovo_colour_arg(0x13 << 16), 0x49u);
  EXPECT_EQ(pstate().pen, 0x13);
  EXPECT_EQ(tovo_colour_pen(), 0x49u);
  EXPECT_EQ(tovo_colour_arg(0x213 << 16), 0x49u);  // only the low 8 bits count
  // The secondary palette replaces the pair when pattern bit 18 is set.
  pstate().fill_pattern = 0x40000;
  pstate().secondary_pal[9] = 0xa5;
  EXPECT_EQ(tovo_colour_arg(0x03 << 16), 0xa5u);
}

TEST_F(PixelTest, PatternedColourArgument) {
  const int32_t value = static_cast<int32_t>(0x1307u << 16 | 0x5a5a);
  EXPECT_EQ(tovo_colour_arg(value), 0x07u);  // flag not 1: a plain colour
  EXPECT_EQ(pstate().fill_pattern, 0);
  poke(0x5f34, 1);
  pstate().fill_pattern = 0x40000;
  pstate().secondary_pal[7] = 0x99;
  EXPECT_EQ(tovo_colour_arg(value), 0x07u);  // pattern applies; secondary skipped
  EXPECT_EQ(pstate().fill_pattern, 0x35a5a);
  EXPECT_EQ(pstate().pen, 0x07);
}

TEST_F(DrawStateTest, FillpPatternSkipsTransparentBits) {
  fill_screen(2);
  ASSERT_EQ(run("fillp(0x5a5a.8) rectfill(0,0,3,3,7)"), "");
  const uint16_t pattern = 0x5a5a;
  for (int y = 0; y < 4; y++) {
    for (int x = 0; x < 4; x++) {
      const bool bit = pattern >> (15 - (y * 4 + x)) & 1;
      EXPECT_EQ(px(x, y), bit ? 2 : 7) << x << "," << y;
    }
  }
}

TEST_F(DrawStateTest, ColourPairsFollowThePattern) {
  ASSERT_EQ(run("fillp(0x8000) color(0x12) pset(0,0) pset(1,0)"), "");
  EXPECT_EQ(px(0, 0), 1);
  EXPECT_EQ(px(1, 0), 2);
}

TEST_F(DrawStateTest, FillpForms) {
  ASSERT_EQ(run("a = fillp(0x1234.e) b = fillp() c = fillp(0x8000)"), "");
  EXPECT_EQ(global("a"), 0);
  EXPECT_EQ(global("b"), static_cast<int32_t>(0x1234u << 16 | 0xc000));  // bit 18 not returned
  EXPECT_EQ(global("c"), 0);
  EXPECT_EQ(pstate().fill_pattern, 0x8000);
  ASSERT_EQ(run("fillp(0x1234.e)"), "");
  EXPECT_EQ(pstate().fill_pattern, 0x71234);
}

TEST_F(DrawStateTest, PaltBitfieldAndPairs) {
  ASSERT_EQ(run("a = palt(0x8001)"), "");
  EXPECT_EQ(global("a"), static_cast<int32_t>(0x80000000u));  // 0x8000 after the reset
  EXPECT_EQ(pstate().draw_pal[0], 16);
  EXPECT_EQ(pstate().draw_pal[15], 31);
  EXPECT_EQ(pstate().draw_pal[7], 7);
  ASSERT_EQ(run("b = palt(15, false) c = palt(5, true) d = palt()"), "");
  EXPECT_TRUE(global_bool("b"));
  EXPECT_FALSE(global_bool("c"));
  EXPECT_EQ(global("d"), static_cast<int32_t>(0x80000000u | 0x0400u << 16));  // 0 and 5
  for (int i = 0; i < 16; i++) EXPECT_EQ(pstate().draw_pal[i], i == 0 ? 16 : i) << i;
  EXPECT_EQ(cost("palt", "1"), 4);
  EXPECT_EQ(cost("palt", "3, true"), 0);
}

TEST_F(DrawStateTest, PalForms) {
  ASSERT_EQ(run("a = pal(7, 0) b = pal(7, 3) c = pal(2, 0x8a, 1) d = pal(4, 0x33, 2) e = pal(4, 1, 9)"), "");
  EXPECT_EQ(global("a"), 7 << 16);
  EXPECT_EQ(global("b"), 0);
  EXPECT_EQ(pstate().draw_pal[7], 3);
  EXPECT_EQ(global("c"), 2 << 16);
  EXPECT_EQ(pstate().screen_pal[2], 0x8a);
  EXPECT_NE(tovo_extpal_glitch_end(), 0);  // bit 7 starts the glitch
  EXPECT_EQ(global("d"), 0x24 << 16);
  EXPECT_EQ(pstate().secondary_pal[4], 0x33);
  EXPECT_EQ(global("e"), 0);
  // The draw entry keeps its transparency bit.
  ASSERT_EQ(run("pal(0, 5)"), "");
  EXPECT_EQ(pstate().draw_pal[0], 0x15);
  ASSERT_EQ(run("pal(3)"), "");  // changes nothing
  EXPECT_EQ(pstate().draw_pal[7], 3);
  ASSERT_EQ(run("pal(0)"), "");
  EXPECT_EQ(pstate().draw_pal[7], 7);
  EXPECT_EQ(pstate().draw_pal[0], 16);
  EXPECT_EQ(pstate().screen_pal[2], 0x8a);
  ASSERT_EQ(run("pal(-1)"), "");
  EXPECT_EQ(pstate().screen_pal[2], 2);
  EXPECT_EQ(pstate().secondary_pal[4], 0x24);
  ASSERT_EQ(run("pal(1, 2) pal(2, 3, 1) pal(3, 4, 2) pal()"), "");
  EXPECT_EQ(pstate().draw_pal[1], 1);
  EXPECT_EQ(pstate().screen_pal[2], 2);
  EXPECT_EQ(pstate().secondary_pal[3], 0x13);
}

TEST_F(DrawStateTest, PalTable) {
  EXPECT_EQ(cost("pal", "{[1]=9, [2]=10, x=4}"), 12);  // spend_cpu(2) per pair walked
  EXPECT_EQ(pstate().draw_pal[1], 9);
  EXPECT_EQ(pstate().draw_pal[2], 10);
  ASSERT_EQ(run("pal({[17]=0x85}, 1) pal({[3]=0x42}, 2) pal({[4]=1}, 5)"), "");
  EXPECT_EQ(pstate().screen_pal[1], 0x85);
  EXPECT_EQ(pstate().secondary_pal[3], 0x42);
  EXPECT_EQ(pstate().draw_pal[4], 4);
}

TEST_F(DrawStateTest, ClipForms) {
  ASSERT_EQ(run("clip(10,10,200,200)"), "");
  EXPECT_EQ(pstate().clip[0], 10);
  EXPECT_EQ(pstate().clip[2], 128);
  ASSERT_EQ(run("a, b, c, d = clip(20,0,10,10,true)"), "");
  EXPECT_EQ(global("a"), 10 << 16);
  EXPECT_EQ(global("c"), 118 << 16);
  EXPECT_EQ(pstate().clip[0], 20);
  EXPECT_EQ(pstate().clip[1], 10);
  EXPECT_EQ(pstate().clip[2], 30);
  EXPECT_EQ(pstate().clip[3], 10);
  EXPECT_EQ(screen()->clip_y1, 10);  // the target follows at once
  ASSERT_EQ(run("clip(-5, 3, 1, 1) clip(1, 2, 3)"), "");
  EXPECT_EQ(pstate().clip[0], 0);
  EXPECT_EQ(pstate().clip[3], 128);
}

TEST_F(DrawStateTest, PgetOutsideClipIsZero) {
  screen()->pixels[5] = 9;
  ASSERT_EQ(run("a = pget(5, 0) clip(6, 0, 10, 10) b = pget(5, 0) c = pget(5)"), "");
  EXPECT_EQ(global("a"), 9 << 16);
  EXPECT_EQ(global("b"), 0);
  EXPECT_EQ(global("c"), 0);
}

TEST_F(DrawStateTest, CameraWordsAndOffsets) {
  ASSERT_EQ(run("camera(-1, 70000) a, b = camera()"), "");
  EXPECT_EQ(global("a"), -1 << 16);
  EXPECT_EQ(global("b"), 4464 << 16);
  ASSERT_EQ(run("camera(-3, -2) pset(0, 0, 8) a = pget(0, 0) b = pget(-3, -2)"), "");
  EXPECT_EQ(px(3, 2), 8);
  EXPECT_EQ(global("b"), 0);
  EXPECT_EQ(global("a"), 8 << 16);
}

TEST_F(DrawStateTest, ClsColorAndCursor) {
  pstate().cursor_x = 40;
  pstate().cursor_y = 50;
  pstate().print_home_x = 3;
  ASSERT_EQ(run("clip(1,1,2,2)"), "");
  EXPECT_EQ(cost("cls", "16"), 2048);
  EXPECT_TRUE(pixels_not(16).empty());  // no palette, the whole target
  EXPECT_EQ(pstate().cursor_x + pstate().cursor_y + pstate().print_home_x, 0);
  EXPECT_EQ(pstate().clip[2], 128);
  ASSERT_EQ(run("cls() a = color(9) b = color() c = color(0x123)"), "");
  EXPECT_TRUE(pixels_not(0).empty());
  EXPECT_EQ(global("a"), 6 << 16);
  EXPECT_EQ(global("b"), 9 << 16);
  EXPECT_EQ(pstate().pen, 0x23);
}

TEST_F(DrawStateTest, FastArgumentsReadAsNumbers) {
  ASSERT_EQ(run("pset('3', 1, 7) pset({}, 2, 7) pset(4, 4, 'x') pset(5, 5, 9) pset(6, 6, true)"), "");
  EXPECT_EQ(px(3, 1), 7);
  EXPECT_EQ(px(0, 2), 7);
  EXPECT_EQ(px(4, 4), 0);      // a colour that is no number draws colour 0
  EXPECT_EQ(pstate().pen, 9);  // ... and leaves the pen alone
  ASSERT_EQ(run("pset(7, 7)"), "");
  EXPECT_EQ(px(7, 7), 9);
  ASSERT_EQ(run("a, b = pget(7, 7)"), "");
  EXPECT_EQ(global("a"), 9 << 16);
  EXPECT_EQ(global_type("b"), LUA_TNIL);
}

}  // namespace
