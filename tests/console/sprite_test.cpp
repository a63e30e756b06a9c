// Sprites and flags: argument forms, sizes, palettes and transparency, flips
// after clipping, stretch sampling, flags, sset through the shared half and
// the sprite source bound to the screen.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "console/draw/map.h"
#include "console/draw/sprite.h"
#include "console/draw/sprite_blit.h"
#include "console/draw/sprite_convert.h"
#include "console/machine/machine_record.h"
#include "tests/console/gfx_fixture.h"

namespace {

// A sheet whose every pixel is 1 + (x + 3y) % 15 (never 0), with the
// sprite 1 cell holding 0 in its top-left corner.
class SpriteTest : public ScriptDrawTest {
 protected:
  void SetUp() override {
    ScriptDrawTest::SetUp();
    for (int y = 0; y < 128; y++) {
      for (int x = 0; x < 128; x++) sheet(x, y, value(x, y));
    }
  }
  static uint8_t value(int x, int y) { return static_cast<uint8_t>(1 + (x + 3 * y) % 15); }
  // The drawn area: pixels that are not 0.
  std::set<std::pair<int, int>> drawn() {
    std::set<std::pair<int, int>> p;
    for (auto xy : pixels_not(0)) p.insert(xy);
    return p;
  }
  size_t area(const std::string& code) {
    fill_screen(0);
    EXPECT_EQ(run(code), "") << code;
    return drawn().size();
  }
};

TEST_F(SpriteTest, SizesAndArgumentCounts) {
  EXPECT_EQ(area("spr(1,0,0)"), 64u);
  EXPECT_EQ(px(0, 0), value(8, 0));
  EXPECT_EQ(area("spr(1,0,0,1,1)"), 64u);
  EXPECT_EQ(area("spr(1,0,0,1)"), 0u);  // height missing reads 0
  EXPECT_EQ(area("spr(0,0,0,0.5,0.5)"), 16u);
  EXPECT_EQ(px(3, 3), value(3, 3));
  EXPECT_EQ(area("spr(0,0,0,20,20)"), 128u * 128u);
  EXPECT_EQ(area("spr(256,0,0)"), 0u);
  EXPECT_EQ(area("spr(-1,0,0)"), 0u);
  EXPECT_EQ(area("spr(17,-4,124)"), 16u);  // clipped to the screen
  EXPECT_EQ(px(0, 124), value(8 + 4, 8));
}

TEST_F(SpriteTest, ChargesAreTheVisibleDestination) {
  EXPECT_EQ(cost("spr", "0,-4,124,2,2"), 2 * 12 * 4);
  EXPECT_EQ(cost("spr", "0,200,0"), 2);  // drawn off-screen: spend_cpu(0)
  EXPECT_EQ(cost("spr", "300,0,0"), 0);
  EXPECT_EQ(cost("spr", "3,0,0,0,1"), 0);
  EXPECT_EQ(cost("sspr", "0,0,8,8,0,0,16,16"), 2 * 256);
  EXPECT_EQ(cost("sspr", "0,0,0,8,0,0"), 0);
}

TEST_F(SpriteTest, PalettesAndTransparency) {
  sheet(0, 0, 0);
  sheet(1, 0, 5);
  sheet(2, 0, 7);
  ASSERT_EQ(run("spr(0,10,10)"), "");
  EXPECT_EQ(px(10, 10), 0);  // colour 0 transparent by default
  fill_screen(9);
  ASSERT_EQ(run("palt(0,false) palt(5,true) pal(7,0) spr(0,10,10)"), "");
  EXPECT_EQ(px(10, 10), 0);  // colour 0 drawn
  EXPECT_EQ(px(11, 10), 9);  // colour 5 skipped
  EXPECT_EQ(px(12, 10), 0);  // 7 drawn as 0, opaque
}

TEST_F(SpriteTest, MasksAndSpritePatterns) {
  fill_screen(8);
  poke(0x5f5e, 0x33);                                // write mask 3, read mask 3
  ASSERT_EQ(run("fillp(0xffff.8) spr(0,0,0)"), "");  // the pattern does not reach sprites
  EXPECT_EQ(px(0, 0), (value(0, 0) & 3) | 8);
  EXPECT_EQ(px(5, 2), (value(5, 2) & 3) | 8);
  poke(0x5f5e, 0xff);
  pstate().secondary_pal[value(0, 0)] = 0xa5;
  pstate().secondary_pal[value(1, 0)] = 0x3c;
  ASSERT_EQ(run("fillp(0x8000.4) spr(0,0,0) map(0,0,64,0,1,1)"), "");  // bit 17: pattern and pairs
  EXPECT_EQ(px(0, 0), 0xa);                                            // pattern bit 1: high nibble
  EXPECT_EQ(px(1, 0), 0xc);                                            // pattern bit 0: low nibble
  ASSERT_EQ(run("fillp(0x8000.c) spr(0,20,0)"), "");                   // with the transparent bit
  EXPECT_EQ(px(20, 0), 8);
  EXPECT_EQ(px(21, 0), 0xc);
}

TEST_F(SpriteTest, FlipsApplyAfterClipping) {
  // spr(15,0,0,2,1): the right half is off the sheet and stays transparent.
  EXPECT_EQ(area("spr(15,0,0,2,1)"), 64u);
  EXPECT_EQ(px(0, 0), value(120, 0));
  EXPECT_EQ(px(7, 0), value(127, 0));
  EXPECT_EQ(area("spr(15,0,0,2,1,nil,nil)"), 64u);
  EXPECT_EQ(px(0, 0), value(120, 0));
  EXPECT_EQ(area("spr(15,0,0,2,1,true)"), 64u);  // flip_y missing reads false
  EXPECT_EQ(px(0, 0), value(127, 0));
  EXPECT_EQ(area("spr(15,0,0,2,1,true,false)"), 64u);
  EXPECT_EQ(px(0, 0), value(127, 0));  // mirrored, still at the left
  EXPECT_EQ(px(7, 0), value(120, 0));
  EXPECT_EQ(area("spr(0,0,0,1,1,false,true)"), 64u);
  EXPECT_EQ(px(0, 0), value(0, 7));
}

TEST_F(SpriteTest, StretchSampling) {
  EXPECT_EQ(area("sspr(0,0,8,8,0,0,4,4)"), 16u);
  for (int j = 0; j < 4; j++) {
    for (int i = 0; i < 4; i++) EXPECT_EQ(px(i, j), value(2 * i + 1, 2 * j + 1)) << i << "," << j;
  }
  // A negative width mirrors: 16x16 with its left edge at x = -6.
  EXPECT_EQ(area("sspr(0,0,8,8,10,10,-16,16)"), 10u * 16u);
  EXPECT_EQ(px(0, 10), value(7 - 3, 0));  // x = 0 is column 6 of 16, source 7 - 3
  EXPECT_EQ(px(9, 25), value(0, 7));
  EXPECT_EQ(px(10, 10), 0);
  // A negative height flips and moves up.
  EXPECT_EQ(area("sspr(0,0,8,8,0,20,8,-8)"), 64u);
  EXPECT_EQ(px(0, 12), value(0, 7));
  // Left and top clipping keep the sampling of the whole rectangle.
  fill_screen(0);
  ASSERT_EQ(run("sspr(0,0,8,8,-3,-5,24,24)"), "");
  EXPECT_EQ(px(0, 0), value(1, 1));  // destination (3, 5) of 24 samples 1, 1
  EXPECT_EQ(px(20, 18), value(7, 7));
  // Stretching 8x8 to 256: only the visible quarter is drawn.
  EXPECT_EQ(area("sspr(0,0,8,8,0,0,256,256)"), 128u * 128u);
  EXPECT_EQ(px(127, 127), value(3, 3));
}

TEST_F(SpriteTest, Flags) {
  ASSERT_EQ(run("fset(3,7,true) a = fget(3) b = fget(3,8) c = fget(3,7) d = fget(300) e = fget(-1,7)"), "");
  EXPECT_EQ(global("a"), 128 << 16);
  EXPECT_FALSE(global_bool("b"));
  EXPECT_TRUE(global_bool("c"));
  EXPECT_EQ(global("d"), 0);
  EXPECT_FALSE(global_bool("e"));
  ASSERT_EQ(run("fset(3, 0x1ff) a = fget(3) fset(3, 1, false) b = fget(3) fset(3, 8, true) fset(256, 1) "
                "fset(4) c = fget(3, 256) f = fget()"),
            "");
  EXPECT_EQ(global("a"), 0xff << 16);
  EXPECT_EQ(global("b"), 0xfd << 16);
  EXPECT_TRUE(global_bool("c"));  // f is taken & 0xff: bit 0
  EXPECT_EQ(global_type("f"), LUA_TNIL);
  EXPECT_EQ(peek(0x3003), 0xfd);  // flags are memory 0x3000-0x30ff
}

TEST_F(SpriteTest, SsetAndSget) {
  ASSERT_EQ(run("sset(1,0,9) a = sget(1,0) b = sget(-1,0) sset(128,0,3) sset(2,0)"), "");
  EXPECT_EQ(peek(0x0000), 0x90 | value(0, 0));
  EXPECT_EQ(global("a"), 9 << 16);
  EXPECT_EQ(global("b"), 0);
  EXPECT_EQ(peek(0x0001) & 15, 6);  // the pen colour
  // The shared half: the map cell at the same address follows.
  ASSERT_EQ(run("sset(6,80,7) sset(7,80,0)"), "");
  EXPECT_EQ(map_cell(3, 40), 7);
  EXPECT_EQ(peek(0x1403), 7);
}

TEST_F(SpriteTest, SpriteSourceOnTheScreen) {
  fill_screen(0);
  screen()->pixels[0] = 4;
  poke(0x5f54, 0x60);
  ASSERT_EQ(run("a = sget(0,0) spr(0,64,64) sset(0,0,11) sset(0,100,12)"), "");
  EXPECT_EQ(global("a"), 4 << 16);
  EXPECT_EQ(px(64, 64), 4);  // spr read the screen
  EXPECT_EQ(px(0, 0), 4);    // sset wrote the sheet, not the screen
  EXPECT_EQ(sheet_pixel(0, 0), 11);
  EXPECT_EQ(sheet_pixel(0, 100), 12);
  EXPECT_EQ(px(0, 100), 0);
  EXPECT_EQ(map_cell(0, 32 + 18), (value(1, 100) << 4) | 12);
}

TEST_F(SpriteTest, ConvertsTrueColourToScreenColours) {
  tarq_palette palette{};
  for (int i = 0; i < 256; i++) palette.rgb[i][0] = palette.rgb[i][1] = palette.rgb[i][2] = static_cast<uint8_t>(i);
  pstate().screen_pal[3] = 200;  // colour 3 shows palette entry 200
  tarq_bitmap* picture = tarq_create_bitmap(2, 1, 32);
  tarq_bitmap* out = tarq_create_bitmap(2, 1, 8);
  tarq_row32(picture, 0)[0] = 0xff000000u | 198u << 16 | 198u << 8 | 198u;
  tarq_row32(picture, 0)[1] = 0xff000000u | 9u << 16 | 9u << 8 | 9u;
  tovo_convert_bitmap_to_screen_pal(picture, out, &palette);
  EXPECT_EQ(out->pixels[0], 3);
  EXPECT_EQ(out->pixels[1], 9);
  tovo_convert_bitmap(picture, out, &palette);
  EXPECT_EQ(out->pixels[0], 143);  // nearest of 0-15 and 128-143
  EXPECT_EQ(out->pixels[1], 9);
  tovo_convert_bitmap(out, picture, &palette);
  EXPECT_EQ(tarq_row32(picture, 0)[0], 0xff8f8f8fu);
  out->pixels[1] = 0;
  tovo_convert_bitmap(out, picture, &palette);
  EXPECT_EQ(tarq_row32(picture, 0)[1] >> 24, 0u);  // colour 0 has alpha 0
  tarq_destroy_bitmap(picture);
  tarq_destroy_bitmap(out);
}

}  // namespace
