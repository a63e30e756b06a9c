#include <gtest/gtest.h>

#include "engine/data/palette_tools.h"
#include "engine/platform/present.h"
#include "tests/engine/gfx_test_util.h"

namespace {

struct palette_fixture : ::testing::Test {
  tarq_palette* pal = tarq_create_palette();
  void set(int i, int r, int g, int b) {
    pal->rgb[i][0] = uint8_t(r);
    pal->rgb[i][1] = uint8_t(g);
    pal->rgb[i][2] = uint8_t(b);
  }
  ~palette_fixture() override { tarq_destroy_palette(pal); }
};

}  // namespace

TEST_F(palette_fixture, FindColourTakesExactMatchOrFirstNearest) {
  for (int i = 0; i < 256; i++) set(i, 255, 255, 255);
  set(3, 10, 10, 10);
  set(4, 12, 12, 12);
  set(9, 12, 12, 12);
  EXPECT_EQ(tarq_find_colour(12, 12, 12, pal), 4);
  EXPECT_EQ(tarq_find_colour(11, 11, 10, pal), 3);  // 1 away from 3, 5 from 4
  EXPECT_EQ(tarq_find_colour(-100, 0, 0, pal), 3);
}

TEST_F(palette_fixture, EightToThirtyTwoMakesIndexZeroTransparent) {
  set(0, 1, 2, 3);
  set(5, 0xAA, 0xBB, 0xCC);
  auto src = make_bitmap(2, 1);
  paint(src.get(), ".5");
  auto dst = make_bitmap(2, 1, 32);
  tarq_convert_bitmap(src.get(), dst.get(), pal);
  EXPECT_EQ(tarq_row32(dst.get(), 0)[0], 0x00010203u);
  EXPECT_EQ(tarq_row32(dst.get(), 0)[1], 0xFFAABBCCu);
  auto other = make_bitmap(3, 1, 32);
  tarq_convert_bitmap(src.get(), other.get(), pal);  // sizes differ: nothing
  EXPECT_EQ(tarq_row32(other.get(), 0)[1], 0u);
}

TEST_F(palette_fixture, ThirtyTwoToEightTakesFirstCloseEntryWithinClips) {
  for (int i = 0; i < 256; i++) set(i, 200, 200, 200);
  set(1, 100, 0, 0);
  set(2, 103, 3, 3);  // 27 from entry 1: not "closer than 27"
  set(6, 101, 1, 1);
  set(7, 0, 0, 0);
  auto src = make_bitmap(3, 1, 32);
  uint32_t* s = tarq_row32(src.get(), 0);
  s[0] = 0xFF656464;  // (101,100,100): no entry is close; entry 2 is the nearest
  s[1] = 0xFF660202;  // (102,2,2): entry 1 is 12 away, taken before the nearer 2 and 6
  s[2] = 0xFF670303;
  tarq_set_clip(src.get(), 0, 0, 2, 1);  // the third pixel counts as black
  auto dst = make_bitmap(3, 1);
  tarq_convert_bitmap(src.get(), dst.get(), pal);
  EXPECT_EQ(dst->rows[0][0], 2);
  EXPECT_EQ(dst->rows[0][1], 1);
  EXPECT_EQ(dst->rows[0][2], 7);
}

TEST_F(palette_fixture, FadeMixesIntoTheVideoPalette) {
  tarq_palette* saved = tarq_video.tarq_video_palette;
  tarq_swap_video_palette(tarq_create_palette());
  tarq_palette* other = tarq_create_palette();
  set(1, 200, 100, 0);
  other->rgb[1][0] = 0;
  other->rgb[1][1] = 100;
  other->rgb[1][2] = 255;
  const struct {
    int t, r, g, b;
  } steps[] = {{-5, 200, 100, 0}, {0, 200, 100, 0}, {128, 100, 100, 127}, {256, 0, 100, 255}, {999, 0, 100, 255}};
  for (const auto& st : steps) {
    tarq_fade_palette_moment(pal, other, st.t);
    EXPECT_EQ(tarq_video.tarq_video_palette->rgb[1][0], st.r) << st.t;
    EXPECT_EQ(tarq_video.tarq_video_palette->rgb[1][1], st.g) << st.t;
    EXPECT_EQ(tarq_video.tarq_video_palette->rgb[1][2], st.b) << st.t;
  }
  tarq_destroy_palette(other);
  tarq_destroy_palette(tarq_video.tarq_video_palette);
  tarq_swap_video_palette(saved);
}

TEST_F(palette_fixture, EmulatorColourTableAndRowConversion) {
  tarq_palette* saved = tarq_video.tarq_video_palette;
  tarq_swap_video_palette(pal);
  set(2, 200, 100, 50);
  uint32_t table[256];
  calculate_emucol(table, 2);
  EXPECT_EQ(table[2], 0xFF643219u);
  calculate_emucol(table, 0);  // taken as 1
  EXPECT_EQ(table[2], 0xFFC86432u);
  auto src = make_bitmap(3, 2);
  paint(src.get(), "2..\n..2\n");
  uint32_t out[2][4] = {};
  blit_from_8_to_32(src.get(), table, &out[0][0], 16);  // a pitch wider than the row
  EXPECT_EQ(out[0][0], 0xFFC86432u);
  EXPECT_EQ(out[0][1], 0xFF000000u);
  EXPECT_EQ(out[1][2], 0xFFC86432u);
  EXPECT_EQ(out[0][3], 0u);
  tarq_swap_video_palette(saved);
}
