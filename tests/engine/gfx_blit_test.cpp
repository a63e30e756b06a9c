#include <gtest/gtest.h>

#include <climits>

#include "engine/data/sprite_variants.h"
#include "engine/platform/present.h"
#include "tests/engine/gfx_test_util.h"

namespace {

const char* const kSprite =
    "12.\n"
    "3.4\n";

struct clip_case {
  int sx, sy, dx, dy, w, h;        // in
  int osx, osy, odx, ody, ow, oh;  // out
};

}  // namespace

TEST(EngineBlit, ClipTable) {
  auto src = make_bitmap(10, 8);
  auto dst = make_bitmap(20, 20);
  tarq_set_clip(dst.get(), 2, 3, 18, 15);
  const clip_case cases[] = {
      {0, 0, 5, 5, 4, 4, 0, 0, 5, 5, 4, 4},      // inside: unchanged
      {-2, -1, 5, 5, 4, 4, 0, 0, 7, 6, 2, 3},    // negative source position
      {8, 6, 5, 5, 4, 4, 8, 6, 5, 5, 2, 2},      // cut by the source's size
      {0, 0, 0, 0, 6, 6, 2, 3, 2, 3, 4, 3},      // cut by the clip's top-left
      {0, 0, 16, 13, 6, 6, 0, 0, 16, 13, 2, 2},  // cut by the clip's bottom-right
      {10, 0, 5, 5, 4, 4, 10, 0, 5, 5, 4, 0},    // source x past the source: height 0
      {0, 0, 18, 5, 4, 4, 0, 0, 18, 5, 4, 0},    // destination past the clip
  };
  for (const auto& c : cases) {
    int sx = c.sx, sy = c.sy, dx = c.dx, dy = c.dy, w = c.w, h = c.h;
    tarq_clip(src.get(), dst.get(), sx, sy, dx, dy, w, h);
    EXPECT_EQ(sx, c.osx);
    EXPECT_EQ(sy, c.osy);
    EXPECT_EQ(dx, c.odx);
    EXPECT_EQ(dy, c.ody);
    EXPECT_EQ(w, c.ow);
    EXPECT_EQ(h, c.oh);
  }
  // Extreme values neither overflow nor leave a drawable size.
  const int extremes[] = {INT_MIN, INT_MIN + 1, -1, INT_MAX};
  for (int a : extremes)
    for (int b : extremes) {
      int sx = a, sy = b, dx = b, dy = a, w = INT_MAX, h = b;
      tarq_clip(src.get(), dst.get(), sx, sy, dx, dy, w, h);
      if (w >= 1 && h >= 1) {
        EXPECT_GE(sx, 0);
        EXPECT_LE(sx + w, 10);
        EXPECT_GE(dx, 2);
        EXPECT_LE(dx + w, 18);
      }
    }
}

TEST(EngineBlit, SpritesKeepSourceAlignmentWhenCut) {
  auto src = make_bitmap(3, 2);
  paint(src.get(), kSprite);
  auto dst = make_bitmap(4, 3);
  tarq_rectfill(dst.get(), 0, 0, 3, 2, 5);
  tarq_draw_sprite(src.get(), dst.get(), 0, 0, -1, 2, 3, 2);  // cut left and bottom
  tarq_draw_sprite(src.get(), dst.get(), 0, 0, 2, -1, 3, 2);  // cut top and right
  EXPECT_EQ(picture(dst.get()),
            "5535\n"
            "5555\n"
            "2555\n");
  // Plain blits copy zeros too; depths must agree for sprites.
  tarq_blit(src.get(), dst.get(), 0, 0, 1, 1, 3, 2);
  EXPECT_EQ(picture(dst.get()),
            "5535\n"
            "512.\n"
            "23.4\n");
  auto d32 = make_bitmap(3, 2, 32);
  tarq_draw_sprite(src.get(), d32.get(), 0, 0, 0, 0, 3, 2);
  EXPECT_EQ(picture(d32.get()), "...\n...\n");
}

TEST(EngineBlit, BlitOntoItselfOverlappingRows) {
  auto b = make_bitmap(2, 4);
  paint(b.get(), "12\n34\n56\n78\n");
  tarq_blit(b.get(), b.get(), 0, 0, 0, 1, 2, 3);
  EXPECT_EQ(picture(b.get()), "12\n12\n34\n56\n");
}

TEST(EngineBlit, EightBitIntoThirtyTwoGoesThroughTheVideoPalette) {
  tarq_palette* saved = tarq_video.tarq_video_palette;
  tarq_swap_video_palette(tarq_create_palette());
  tarq_video.tarq_video_palette->rgb[3][0] = 0x11;
  tarq_video.tarq_video_palette->rgb[3][1] = 0x22;
  tarq_video.tarq_video_palette->rgb[3][2] = 0x33;
  auto src = make_bitmap(2, 1);
  paint(src.get(), "30");
  auto dst = make_bitmap(2, 1, 32);
  tarq_blit(src.get(), dst.get(), 0, 0, 0, 0, 2, 1);
  EXPECT_EQ(tarq_row32(dst.get(), 0)[0], 0xFF112233u);
  EXPECT_EQ(tarq_row32(dst.get(), 0)[1], 0xFF000000u);
  tarq_destroy_palette(tarq_video.tarq_video_palette);
  tarq_swap_video_palette(saved);

  // A deeper source never goes into a shallower destination.
  auto deep = make_bitmap(2, 1, 32);
  tarq_rectfill(deep.get(), 0, 0, 1, 0, 0xFFFFFFFF);
  tarq_blit(deep.get(), src.get(), 0, 0, 0, 0, 2, 1);
  EXPECT_EQ(picture(src.get()), "3.\n");
}

TEST(EngineBlit, Blend32Table) {
  const struct {
    uint32_t dst, src, alpha, out;
  } cases[] = {
      {0xAA102030, 0x55FFFFFF, 0, 0x102030},
      {0xAA102030, 0x55405060, 255, 0x405060},
      {0x00000000, 0x00FFFFFF, 128, 0x808080},
      {0x00FF0000, 0x0000FF00, 51, 0xCC3300},
  };
  for (const auto& c : cases) EXPECT_EQ(tarq_blend32(c.dst, c.src, c.alpha), c.out) << c.alpha;
}

TEST(EngineBlit, ThirtyTwoBitSpritesBlendAndKeepDestinationAlpha) {
  auto src = make_bitmap(3, 1, 32);
  uint32_t* s = tarq_row32(src.get(), 0);
  s[0] = 0x00FFFFFF;  // transparent
  s[1] = 0xFF0000FF;  // opaque blue
  s[2] = 0x80FFFFFF;  // half white
  auto dst = make_bitmap(3, 1, 32);
  uint32_t* d = tarq_row32(dst.get(), 0);
  d[0] = d[1] = d[2] = 0x40000000;
  tarq_draw_sprite(src.get(), dst.get(), 0, 0, 0, 0, 3, 1);
  EXPECT_EQ(d[0], 0x40000000u);
  EXPECT_EQ(d[1], 0x400000FFu);
  EXPECT_EQ(d[2], 0x40808080u);
}

TEST(EngineBlit, OneColourSpritesMirrorAndCut) {
  auto glyph = make_bitmap(3, 2);
  paint(glyph.get(), "12.\n..4\n");
  auto dst = make_bitmap(5, 2);
  tarq_draw_sprite_col(glyph.get(), dst.get(), 0, 0, 0, 0, 3, 2, 7, 0);
  tarq_draw_sprite_col(glyph.get(), dst.get(), 0, 0, 3, 0, 3, 2, 9, 1);  // mirrored, cut at the right
  EXPECT_EQ(picture(dst.get()),
            "77..9\n"
            "..79.\n");
  // Mirrored and cut at the left: the columns stay where the whole glyph puts them.
  auto d2 = make_bitmap(3, 2);
  tarq_draw_sprite_col(glyph.get(), d2.get(), 0, 0, -1, 0, 3, 2, 5, 1);
  EXPECT_EQ(picture(d2.get()),
            "55.\n"
            "...\n");
  auto d32 = make_bitmap(3, 1, 32);
  tarq_draw_sprite_col(glyph.get(), d32.get(), 0, 0, 0, 0, 3, 1, 0xFF123456, 0);
  EXPECT_EQ(tarq_row32(d32.get(), 0)[1], 0xFF123456u);
  EXPECT_EQ(tarq_row32(d32.get(), 0)[2], 0u);
  tarq_draw_sprite_col(glyph.get(), tarq_video.tarq_screen, 0, 0, 0, 0, 3, 1, 1, 0);
  tarq_draw_sprite_col(nullptr, d2.get(), 0, 0, 0, 0, 3, 1, 1, 0);
}

TEST(EngineBlit, PaletteShadowAndMirroredSprites) {
  auto src = make_bitmap(3, 2);
  paint(src.get(), kSprite);
  uint8_t map[256];
  for (int i = 0; i < 256; i++) map[i] = uint8_t(i + 10);

  auto a = make_bitmap(3, 2);
  tarq_draw_sprite_pal(src.get(), a.get(), 0, 0, 0, 0, 3, 2, map);
  EXPECT_EQ(picture(a.get()), "bc.\nd.e\n");

  auto b = make_bitmap(3, 2);
  paint(b.get(), "111\n222\n");
  tarq_draw_sprite_shadow(src.get(), b.get(), 0, 0, 0, 0, 3, 2, map);
  EXPECT_EQ(picture(b.get()), "bb1\nc2c\n");

  auto c = make_bitmap(4, 2);
  tarq_draw_sprite_h(src.get(), c.get(), 0, 0, 1, 0, 3, 2);
  EXPECT_EQ(picture(c.get()), "..21\n.4.3\n");
  auto d = make_bitmap(2, 2);
  tarq_draw_sprite_h(src.get(), d.get(), 0, 0, 0, 0, 3, 2);  // cut at the right
  EXPECT_EQ(picture(d.get()), ".2\n4.\n");

  auto deep = make_bitmap(3, 2, 32);
  tarq_draw_sprite_pal(src.get(), deep.get(), 0, 0, 0, 0, 3, 2, map);
  EXPECT_EQ(picture(deep.get()), "...\n...\n");
}

TEST(EngineStretch, SameSizeHalfSizeAndDoubleSize) {
  auto src = make_bitmap(4, 2);
  paint(src.get(), "1234\n5.78\n");

  auto same = make_bitmap(4, 2);
  tarq_rectfill(same.get(), 0, 0, 3, 1, 9);
  tarq_stretch_blit(src.get(), same.get(), 0, 0, 4, 2, 1);  // sprite mode keeps 9 under 0
  EXPECT_EQ(picture(same.get()), "1234\n5978\n");
  tarq_stretch_blit(src.get(), same.get(), 0, 0, 4, 2, 0);  // plain copy
  EXPECT_EQ(picture(same.get()), "1234\n5.78\n");

  auto half = make_bitmap(2, 1);
  tarq_stretch_blit(src.get(), half.get(), 0, 0, 2, 1, 0);
  EXPECT_EQ(picture(half.get()), ".8\n");  // every second pixel and row, from the second

  auto twice = make_bitmap(9, 4);
  tarq_stretch_blit(src.get(), twice.get(), 1, 0, 8, 4, 0);
  EXPECT_EQ(picture(twice.get()),
            ".11223344\n"
            ".11223344\n"
            ".55..7788\n"
            ".55..7788\n");

  // Cut by the clip on the top-left: the samples keep their places.
  auto cut = make_bitmap(8, 4);
  tarq_set_clip(cut.get(), 3, 1, 8, 4);
  tarq_stretch_blit(src.get(), cut.get(), 0, 0, 8, 4, 0);
  tarq_reset_clip(cut.get());
  EXPECT_EQ(picture(cut.get()),
            "........\n"
            "...23344\n"
            "....7788\n"
            "....7788\n");
}

TEST(EngineStretch, RefusesMismatchesAndEmptySizes) {
  auto src = make_bitmap(4, 2);
  paint(src.get(), "1234\n5678\n");
  auto dst = make_bitmap(4, 4);
  tarq_stretch_blit(src.get(), dst.get(), 0, 0, 0, 4, 0);
  tarq_stretch_blit(src.get(), dst.get(), 0, 0, -8, 4, 0);
  tarq_stretch_blit(src.get(), dst.get(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0);
  auto d32 = make_bitmap(8, 4, 32);
  tarq_stretch_blit(src.get(), d32.get(), 0, 0, 8, 4, 0);
  EXPECT_EQ(picture(d32.get()), "........\n........\n........\n........\n");
}

TEST(EngineStretch, ThirtyTwoBitSpriteModeBlends) {
  auto src = make_bitmap(1, 1, 32);
  tarq_row32(src.get(), 0)[0] = 0x80FFFFFF;
  auto dst = make_bitmap(2, 2, 32);
  for (int y = 0; y < 2; y++) tarq_row32(dst.get(), y)[0] = tarq_row32(dst.get(), y)[1] = 0x11000000;
  tarq_stretch_blit(src.get(), dst.get(), 0, 0, 2, 2, 1);
  EXPECT_EQ(tarq_row32(dst.get(), 1)[1], 0x11808080u);
  tarq_stretch_blit(src.get(), dst.get(), 0, 0, 2, 2, 0);
  EXPECT_EQ(tarq_row32(dst.get(), 1)[1], 0x80FFFFFFu);
}
