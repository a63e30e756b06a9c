// The built-in font made from a font pod's glyph bitmaps, and its header.
#include <gtest/gtest.h>

#include "console/print/console_print.h"
#include "console/print/font.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "tests/support/synthetic_font.h"

namespace {

TEST(BitwiseFont, GlyphRowsBecomeBitsAndTheHeaderIsForced) {
  tarq_pod* pod = make_synthetic_font_pod();
  const uint8_t* font = init_bitwise_font(pod);
  for (int c = 1; c < 256; c++) {
    for (int r = 0; r < 8; r++) ASSERT_EQ(font[c * 8 + r], synthetic_glyph_row(c, r)) << c << " row " << r;
  }
  const uint8_t header[8] = {4, 8, 6, 0, 0, 0, 0, 0};
  for (int i = 0; i < 8; i++) EXPECT_EQ(font[i], header[i]) << i;
  tarq_destroy_pod(pod);
}

TEST(BitwiseFont, ColumnsAndRowsPast7AreDroppedAndAnyNonZeroPixelCounts) {
  tarq_pod* pod = tarq_create_pod(256);
  for (int c = 0; c < 256; c++) {
    tarq_bitmap* g = tarq_create_bitmap(c == 'a' ? 12 : 1, c == 'a' ? 10 : 1, 8);
    tarq_clear_bitmap(g);
    cpod_add_item(pod, TARQ_ITEM_BITMAP, g);
  }
  tarq_bitmap* a = static_cast<tarq_bitmap*>(cpod_get_item(pod, 'a', TARQ_ITEM_BITMAP));
  for (int r = 0; r < 10; r++) {
    for (int j = 0; j < 12; j++) a->rows[r][j] = static_cast<uint8_t>(j == r || j >= 8 ? 9 : 0);
  }
  const uint8_t* font = init_bitwise_font(pod);
  for (int r = 0; r < 8; r++) EXPECT_EQ(font['a' * 8 + r], 1 << r) << r;
  EXPECT_EQ(font['a' * 8 + 8], 0);  // the next glyph, untouched by rows 8-9
  tarq_destroy_pod(pod);
}

TEST(BitwiseFont, WithoutAPodOnlyTheHeaderIsSet) {
  tarq_pod* saved = tovo_console_font();
  tovo_set_console_font(nullptr);
  const uint8_t* font = tovo_builtin_font();
  EXPECT_EQ(font[2], 6);
  for (int i = 8; i < TOVO_FONT_BYTES; i++) ASSERT_EQ(font[i], 0) << i;
  // Installing a font pod rebuilds the font from it.
  tarq_pod* pod = make_synthetic_font_pod();
  tovo_set_console_font(pod);
  EXPECT_EQ(tovo_builtin_font()['a' * 8], synthetic_glyph_row('a', 0));
  tovo_set_console_font(saved);
  tarq_destroy_pod(pod);
}

TEST(PrintDigits, ArgumentCharacters) {
  const struct {
    uint8_t ch;
    int digit;
  } table[] = {{'0', 0}, {'9', 9}, {'a', 10}, {'f', 15}, {'g', 16}, {'z', 35}, {'{', 36}, {'A', 0}, {' ', 0}, {'-', 0}};
  for (const auto& t : table) {
    EXPECT_EQ(print_digit(t.ch), t.digit) << t.ch;
    EXPECT_EQ(print_offset(t.ch), t.digit - 16) << t.ch;
  }
}

}  // namespace
