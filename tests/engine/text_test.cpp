#include <gtest/gtest.h>

#include "engine/data/pod.h"
#include "engine/data/text.h"
#include "engine/data/text_layout.h"
#include "engine/tracked_mem.h"
#include "tests/engine/gfx_test_util.h"

namespace {

struct Text : ::testing::Test {
  void SetUp() override {
    tarq_text_init();
    tarq_set_text_spacing(1);
  }
  void TearDown() override {
    tarq_set_text_spacing(1);
    tarq_text_exit();
  }
};

// Columns of an 8-bit bitmap that hold any set pixel.
std::string used_columns(const tarq_bitmap* b) {
  std::string s;
  for (int x = 0; x < b->width; x++) {
    bool any = false;
    for (int y = 0; y < b->height; y++) any |= b->rows[y][x] != 0;
    s += any ? '#' : '.';
  }
  return s;
}

// A font of `count` items: the glyph of code c (from `first`) is a c_w x 3
// bitmap filled with its own width, so drawings show which glyphs landed where.
tarq_pod* synthetic_font(int count, int first, int depth, const std::string& codes) {
  tarq_pod* f = tarq_create_pod(count);
  for (int i = 0; i < count; i++) {
    const int code = first + i % (count % 256 == 0 ? 256 : 96);
    if (codes.find(char(code)) == std::string::npos) {
      cpod_add_item(f, TARQ_ITEM_MEMORY, tarq_malloc(4));  // not a glyph
      continue;
    }
    const int w = code == 'i' ? 1 : 3;
    tarq_bitmap* g = tarq_create_bitmap(w, 3, depth);
    tarq_rectfill(g, 0, 0, w - 1, 2, depth == 8 ? uint32_t(w) : 0xFF000000u | uint32_t(w));
    cpod_add_item(f, TARQ_ITEM_BITMAP, g);
  }
  return f;
}

}  // namespace

TEST_F(Text, BuiltInFontsMeasureAndSpacing) {
  EXPECT_EQ(tarq_fonts.tarq_font1->count, 512);
  EXPECT_EQ(tarq_get_text_width("AB", tarq_fonts.tarq_font1), 11);
  EXPECT_EQ(tarq_get_text_width("AB", tarq_fonts.tarq_font2), 13);
  EXPECT_EQ(tarq_get_text_width("", tarq_fonts.tarq_font1), -1);
  EXPECT_EQ(tarq_get_text_width("A\x01\x80", tarq_fonts.tarq_font1), 17);  // empty glyphs still have the font's size
  tarq_set_text_spacing(-3);
  EXPECT_EQ(tarq_get_text_spacing(), 0);
  EXPECT_EQ(tarq_get_text_width("AB", tarq_fonts.tarq_font1), 10);
}

TEST_F(Text, GlyphsFromTheTable) {
  auto b = make_bitmap(12, 5);
  tarq_draw_text(b.get(), "A", tarq_fonts.tarq_font1, 0, 0);
  tarq_draw_text(b.get(), "A", tarq_fonts.tarq_font2, 6, 0);
  EXPECT_EQ(picture(b.get()),
            "#####.######\n"
            "#...#.##..##\n"
            "#####.######\n"
            "#...#.##..##\n"
            "#...#.##..##\n");
  // 32-bit bitmaps take the second set and its colours; sprites keep the
  // destination's alpha byte.
  auto c = make_bitmap(12, 5, 32);
  tarq_draw_text(c.get(), "A", tarq_fonts.tarq_font1, 0, 0);
  tarq_draw_text(c.get(), "A", tarq_fonts.tarq_font2, 6, 0);
  EXPECT_EQ(tarq_row32(c.get(), 0)[0], 0x00C0C0C0u);
  EXPECT_EQ(tarq_row32(c.get(), 0)[6], 0x00FFFFFFu);
  EXPECT_EQ(tarq_row32(c.get(), 1)[1], 0u);
}

TEST_F(Text, AlignmentFlags) {
  auto b = make_bitmap(100, 6);
  tarq_draw_text_ex(b.get(), "AB", tarq_fonts.tarq_font1, 50, 0, TARQ_TEXT_CENTRE, 0);
  std::string cols = used_columns(b.get());
  EXPECT_EQ(cols.find('#'), 45u);
  EXPECT_EQ(cols.rfind('#'), 55u);

  tarq_clear_bitmap(b.get());
  tarq_draw_text_ex(b.get(), "AB", tarq_fonts.tarq_font1, 50, 0, TARQ_TEXT_RIGHT, 0);
  cols = used_columns(b.get());
  EXPECT_EQ(cols.find('#'), 39u);
  EXPECT_EQ(cols.rfind('#'), 49u);  // the last column is x - 1

  tarq_clear_bitmap(b.get());
  tarq_draw_text_ex(b.get(), "I", tarq_fonts.tarq_font1, 0, 0, TARQ_TEXT_ONE_COLOUR, 7);
  EXPECT_EQ(b->rows[0][1], 7);
}

TEST_F(Text, KeepInsideShowsTheEndAndMarksTheCut) {
  auto b = make_bitmap(60, 12);
  tarq_set_clip(b.get(), 10, 0, 40, 12);
  const int32_t y = tarq_draw_text_ex(b.get(), "ABCDEFGHHH", tarq_fonts.tarq_font1, 12, 3, TARQ_TEXT_KEEP_INSIDE, 0);
  EXPECT_EQ(y, 3);
  EXPECT_EQ(b->clip_x0, 10);  // restored
  // The text ends at the clip's right edge: the last 'H' fills column 39.
  const std::string cols = used_columns(b.get());
  EXPECT_EQ(cols.rfind('#'), 39u);
  // Nothing of the text in columns 10..24 but the ".." mark at the left edge.
  for (int x = 10; x < 25; x++)
    for (int yy = 3; yy < 8; yy++) {
      const bool dot_mark = yy == 7 && (x == 12 || x == 18);
      EXPECT_EQ(b->rows[yy][x] != 0, dot_mark) << x << "," << yy;
    }
}

TEST_F(Text, WrapAndNewlinesAdvanceLines) {
  auto b = make_bitmap(20, 40);
  tarq_set_clip(b.get(), 0, 0, 14, 40);
  // Two glyphs of 6 fit in 14 columns; the line breaks once the next would cross.
  EXPECT_EQ(tarq_draw_text_ex(b.get(), "AAAAA", tarq_fonts.tarq_font1, 0, 0, TARQ_TEXT_WRAP, 0), 12);
  EXPECT_EQ(tarq_draw_text_ex(b.get(), "A\nA\n", tarq_fonts.tarq_font1, 0, 20, 0, 0), 32);
  // Centred lines after a break start at the caller's x, not the aligned one.
  auto c = make_bitmap(40, 12);
  tarq_draw_text_ex(c.get(), "AB\nA", tarq_fonts.tarq_font1, 20, 0, TARQ_TEXT_CENTRE, 0);
  EXPECT_EQ(c->rows[0][15], 255);
  EXPECT_EQ(c->rows[6][20], 255);
}

TEST_F(Text, PhatDrawsAnOutlineThenTheText) {
  auto b = make_bitmap(8, 7);
  tarq_draw_text_phat(b.get(), "I", tarq_fonts.tarq_font1, 1, 1, 0, 2, 0);
  // The glyph sits in colour 255 inside an outline of colour 2.
  EXPECT_EQ(b->rows[1][2], 255);
  EXPECT_EQ(b->rows[0][2], 2);
  EXPECT_EQ(b->rows[1][0], 0);
  EXPECT_EQ(b->rows[1][1], 2);
}

TEST_F(Text, SyntheticFontsWithMissingGlyphsDrawWhatTheyHave) {
  // 96 glyphs cover codes 32..127; 'b' is missing and neither draws nor advances.
  tarq_pod* f = synthetic_font(96, 32, 8, "aci");
  EXPECT_EQ(tarq_get_text_width("abci\x7f\x01\xff", f), 3 + 1 + 3 + 1 + 1);
  auto b = make_bitmap(12, 3);
  tarq_draw_text(b.get(), "abci", f, 0, 0);
  EXPECT_EQ(picture(b.get()), "333.333.1...\n333.333.1...\n333.333.1...\n");
  tarq_destroy_pod(f);

  // A 32-bit-only font into an 8-bit bitmap draws in one colour.
  tarq_pod* deep = synthetic_font(256, 0, 32, "a");
  auto c = make_bitmap(4, 3);
  tarq_draw_text_ex(c.get(), "aa", deep, 0, 0, 0, 5);
  EXPECT_EQ(picture(c.get()), "555.\n555.\n555.\n");
  tarq_destroy_pod(deep);

  // A pod of 50 items: sets of 96, the rest of the codes missing.
  tarq_pod* part = synthetic_font(50, 32, 8, "A");
  auto d = make_bitmap(4, 3);
  EXPECT_EQ(tarq_draw_text(d.get(), "Aaz~", part, 0, 0), 0);
  EXPECT_EQ(picture(d.get()), "333.\n333.\n333.\n");
  tarq_destroy_pod(part);

  tarq_pod* empty = tarq_create_pod(0);
  EXPECT_EQ(tarq_draw_text(d.get(), "abc", empty, 0, 9), 9);
  EXPECT_EQ(tarq_draw_text(d.get(), nullptr, tarq_fonts.tarq_font1, 0, 9), 9);
  EXPECT_EQ(tarq_draw_text(d.get(), "x", nullptr, 0, 9), 9);
  tarq_destroy_pod(empty);
}
