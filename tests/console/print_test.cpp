// The print engine over the synthetic font: each control code and "^"
// command from a start state to the drawn pixels, the cursor and the widest
// x; glyph placement and styles; wrapping and scrolling.
#include "console/machine/machine_record.h"
#include "console/run/run_record.h"
#include "tests/console/print_fixture.h"

using namespace std::string_literals;

namespace {

// A case: text printed at the cursor (x, y) with 0x5f36 bit 2 set (no added
// newline) in colour 7, mode 0; then the widest x, the cursor, and the count
// of colour-7 pixels (-1: not checked).
struct print_case {
  const char* name;
  std::string text;
  int32_t widest, cursor_x, cursor_y, ink7;
};

// Pixels of a narrow synthetic glyph: the bits of its code plus the 4 of its mark.
int narrow_ink(int c) { return __builtin_popcount(c) + 4; }

const std::vector<print_case>& cases() {
  // clang-format off
  static const std::vector<print_case> table = {
      {"two glyphs", "ab", 8, 8, 0, narrow_ink('a') + narrow_ink('b')},
      {"repeat 3", "\x01" "3x", 12, 12, 0, 3 * narrow_ink('x')},
      {"repeat 0 draws once", "\x01" "0x", 4, 4, 0, narrow_ink('x')},
      {"cursor x offset", "\x03" "ka", 8, 8, 0, narrow_ink('a')},
      {"cursor x back", "\x03" "ca", 0, 0, 0, -1},
      {"cursor y offset", "\x04" "ka", 4, 4, 4, narrow_ink('a')},
      {"cursor both", "\x05" "kka", 8, 8, 4, narrow_ink('a')},
      {"back by last advance", "a\x08" "b", 4, 4, 0, -1},
      {"tab", "a\x09" "b", 20, 20, 0, narrow_ink('a') + narrow_ink('b')},
      {"tab at a stop stays", "\x09" "b", 4, 4, 0, narrow_ink('b')},
      {"newline", "a\nb", 4, 4, 6, narrow_ink('a') + narrow_ink('b')},
      {"carriage return", "ab\rc", 8, 4, 0, -1},
      {"colour", "\x0c" "8a", 4, 4, 0, 0},
      {"colour without argument is 0", "a\x0c", 4, 4, 0, narrow_ink('a')},
      {"wide glyph", "\x80", 8, 8, 0, 1 + 7 + 8},
      {"code 1 at the end is a glyph", "\x01", 4, 4, 0, narrow_ink(1)},
      {"code 5 with one argument", "\x05" "k", 8, 8, 0, narrow_ink(5) + narrow_ink('k')},
      {"code 6 at the end is a glyph", "\x06", 4, 4, 0, narrow_ink(6)},
      {"wide", "\x06wa", 8, 8, 0, 2 * narrow_ink('a')},
      {"tall", "\x06ta", 4, 4, 0, 2 * narrow_ink('a')},
      {"wide and tall", "\x06w\x06th", 8, 8, 0, 4 * narrow_ink('h')},
      {"wide off again", "\x06w\x06-wa", 4, 4, 0, narrow_ink('a')},
      {"pinball", "\x06pa", 8, 8, 0, narrow_ink('a')},
      {"stripe wide", "\x06.\x00\x00\x00\x00\x00\x00\x00\x00\x06wa"s, 16, 16, 0, narrow_ink('a')},
      {"home and go", "\x03ka\x06hb\x05kk\x06gc", 12, 12, 0, -1},
      {"jump", "\x06j48a", 20, 20, 32, narrow_ink('a')},
      {"wrap edge", "\x06r2abc", 8, 4, 6, -1},
      {"wrap off", "\x06r2\x06-$abc", 12, 12, 0, -1},
      {"tab width", "\x06s2a\x09" "b", 12, 12, 0, -1},
      {"tab width 0 is no tab", "\x06s0a\x09" "b", 8, 8, 0, -1},
      {"char width", "\x06x6ab", 12, 12, 0, -1},
      {"wide width follows", "\x06x6\x80", 10, 10, 0, -1},
      {"char height", "\x06y8a\nb", 4, 4, 8, -1},
      {"hollow square", "\x06:ff818181818181ff", 8, 8, 0, 28},
      {"hex digits beyond f are 0", "\x06:zz818181818181ff", 8, 8, 0, 20},
      {"short hex glyph draws nothing", "\x06:ff81", 0, 0, 0, 0},
      {"one-off glyph of bytes", "\x06.\x0f\x0f\x00\x00\x00\x00\x00\x00"s, 8, 8, 0, 8},
      {"short byte glyph draws nothing", "\x06.\x0f\x0f", 0, 0, 0, 0},
      {"unknown command", "\x06qa", 4, 4, 0, narrow_ink('a')},
      {"custom font of zero header is 8x8", "\x0e" "a", 8, 8, 0, 0},
      {"custom then built-in", "\x0e\x0f" "a", 4, 4, 0, narrow_ink('a')},
      {"zero byte ends the text", "a\0b"s, 4, 4, 0, narrow_ink('a')},
  };
  // clang-format on
  return table;
}

class PrintCaseTest : public PrintTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(PrintCaseTest, DrawsMovesAndReturns) {
  const print_case& c = cases()[GetParam()];
  poke(0x5f36, 0x04);
  EXPECT_EQ(print(c.text), 0) << c.name;
  EXPECT_EQ(print_widest_x(), c.widest) << c.name;
  EXPECT_EQ(pstate().cursor_x, c.cursor_x) << c.name;
  EXPECT_EQ(pstate().cursor_y, c.cursor_y) << c.name;
  if (c.ink7 >= 0) {
    EXPECT_EQ(count(7), c.ink7) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, PrintCaseTest, ::testing::Range<size_t>(0, cases().size()));

TEST_F(PrintTest, GlyphsLandWhereTheirCodesSay) {
  poke(0x5f36, 0x04);
  print("ab\x03kc\x04kd");
  EXPECT_EQ(code_at(0, 0), 'a');
  EXPECT_EQ(code_at(4, 0), 'b');
  EXPECT_EQ(code_at(12, 0), 'c');  // 8 + offset('k') = 4 more
  EXPECT_EQ(code_at(16, 4), 'd');
  EXPECT_EQ(count(7, 0, 0, 127, 127), narrow_ink('a') + narrow_ink('b') + narrow_ink('c') + narrow_ink('d'));
}

TEST_F(PrintTest, ColourCodeSetsForegroundAndPen) {
  poke(0x5f36, 0x04);
  // clang-format off
  print("\x0c" "8a\x0c" "cb");
  // clang-format on
  EXPECT_EQ(code_at(0, 0, 8), 'a');
  EXPECT_EQ(code_at(4, 0, 12), 'b');
  EXPECT_EQ(pstate().pen, 12);
}

TEST_F(PrintTest, WideAndTallScaleEachGlyphPixel) {
  poke(0x5f36, 0x04);
  // clang-format off
  print("\x06w\x06t" "h");
  // clang-format on
  // Every pixel of h becomes a 2x2 block.
  for (int r = 0; r < 6; r++) {
    for (int j = 0; j < 4; j++) {
      const int bit = synthetic_glyph_row('h', r) >> j & 1;
      for (int k = 0; k < 4; k++) EXPECT_EQ(px(2 * j + (k & 1), 2 * r + (k >> 1)), bit ? 7 : 0) << r << "," << j;
    }
  }
}

TEST_F(PrintTest, GlyphsAreCutAtTheClipEdges) {
  poke(0x5f36, 0x04);
  // A left or a right clip edge through each column of a glyph at x = 8,
  // and the glyph wholly inside: each pixel drawn exactly where its bit is
  // set and the clip rectangle takes it.
  for (int edge = 8; edge <= 12; edge++) {
    for (bool left : {true, false}) {
      fill_screen(0);
      if (left) {
        tarq_set_clip(screen(), edge, 0, 128, 128);
      } else {
        tarq_set_clip(screen(), 0, 0, edge, 128);
      }
      pstate().cursor_x = 8;
      pstate().cursor_y = 0;
      print("h");
      int drawn = 0;
      for (int r = 0; r < 6; r++) {
        for (int j = 0; j < 4; j++) {
          const bool inside = left ? 8 + j >= edge : 8 + j < edge;
          const bool bit = synthetic_glyph_row('h', r) >> j & 1;
          EXPECT_EQ(px(8 + j, r), bit && inside ? 7 : 0) << edge << (left ? " left " : " right ") << r << "," << j;
          drawn += bit && inside;
        }
      }
      EXPECT_EQ(count(7), drawn) << edge;
    }
  }
  tarq_set_clip(screen(), 0, 0, 128, 128);
}

TEST_F(PrintTest, StripeDrawsEveryOtherRowAndColumn) {
  poke(0x5f36, 0x04);
  poke(0x5f58, 0x01 | 0x04 | 0x08 | 0x40);  // styled: wide, tall, stripe
  print("\x7f");                            // rows 0 and 1 full (0xf, 0x7)
  EXPECT_EQ(px(0, 0), 7);
  EXPECT_EQ(px(1, 0), 0);
  EXPECT_EQ(px(0, 1), 0);
  EXPECT_EQ(px(2, 2), 7);
}

TEST_F(PrintTest, InvertFillsTheBoxAndItsBorder) {
  poke(0x5f36, 0x04);
  pstate().cursor_x = pstate().cursor_y = 1;
  print("\x06i\x20");  // code 32: only bit 1 of row 1 and the mark
  // Box 4x6 at (1,1) with one border column left and one row above: 5x7.
  EXPECT_EQ(count(7), 5 * 7 - narrow_ink(32));
  EXPECT_EQ(px(0, 0), 7);
  EXPECT_EQ(px(0, 7), 0);
}

TEST_F(PrintTest, BorderOffLeavesTheBorderAlone) {
  poke(0x5f36, 0x04);
  pstate().cursor_x = pstate().cursor_y = 1;
  print("\x06-b\x06i\x20");
  EXPECT_EQ(count(7), 4 * 6 - narrow_ink(32));
  EXPECT_EQ(px(0, 0), 0);
}

TEST_F(PrintTest, SolidBackgroundCoversBoxAndBorderThroughTheFillPattern) {
  poke(0x5f36, 0x04);
  pstate().cursor_x = pstate().cursor_y = 1;
  // clang-format off
  print("\x02" "9a");
  // clang-format on
  EXPECT_EQ(count(9) + count(7), 5 * 7);
  EXPECT_EQ(count(7), narrow_ink('a'));
  fill_screen(0);
  pstate().fill_pattern = 0x1ffff;  // every pixel's bit is 1, transparent
  pstate().cursor_x = pstate().cursor_y = 1;
  // clang-format off
  print("\x02" "9a");
  // clang-format on
  EXPECT_EQ(count(9), 0);
  EXPECT_EQ(count(7), narrow_ink('a'));
}

TEST_F(PrintTest, GlyphPixelsUseTheMasksButNotThePalette) {
  poke(0x5f36, 0x04);
  pstate().draw_pal[7] = 3;
  fill_screen(8);
  poke(0x5f5e, 0x33);  // write mask 3, read mask 3
  print("\x7f", 0, 15);
  EXPECT_EQ(px(0, 0), (15 & 3) | (8 & ~3));
}

TEST_F(PrintTest, WidthsAbove8ReadNoBitsPast7) {
  poke(0x5f36, 0x04);
  print("\x06xf\x06i\x7f");  // width 15, inverted: columns 8-14 show 0, so all drawn
  EXPECT_EQ(pstate().cursor_x, 15);
  EXPECT_EQ(count(7, 8, 0, 14, 5), 7 * 6);
  // Width 35 doubled: columns 16-69 of the box lie past bit 7.
  fill_screen(0);
  pstate().cursor_x = 0;
  pstate().cursor_y = 20;
  print("\x06xz\x06w\x06i\x7f");
  EXPECT_EQ(pstate().cursor_x, 70);
  EXPECT_EQ(count(7, 16, 20, 69, 25), 54 * 6);
}

TEST_F(PrintTest, DecorationDrawsAtThePreviousGlyphAndReturns) {
  poke(0x5f36, 0x04);
  pstate().cursor_y = 20;
  // o = 'a' (10): dx = (10 & 3) - 2 = 0, dy = (10 >> 2) - 8 = -6.
  // clang-format off
  print("b\x0b" "acd");
  // clang-format on
  EXPECT_EQ(code_at(0, 20), 'b');
  EXPECT_EQ(code_at(0, 14), 'c');
  EXPECT_EQ(code_at(4, 20), 'd');
  EXPECT_EQ(pstate().cursor_x, 8);
}

TEST_F(PrintTest, RepeatAfterADecorationStaysForTheNextGlyph) {
  poke(0x5f36, 0x04);
  pstate().cursor_y = 20;
  // clang-format off
  print("b\x01" "2\x0b" "acd");
  // clang-format on
  EXPECT_EQ(code_at(0, 14), 'c');
  EXPECT_EQ(code_at(4, 20), 'd');
  EXPECT_EQ(code_at(8, 20), 'd');
  EXPECT_EQ(pstate().cursor_x, 12);
}

TEST_F(PrintTest, CustomFontIsReadFromMemory) {
  poke(0x5f36, 0x04);
  // Header: width 3, wide 6, height 2, offsets 1, 1; glyph 'a': rows 7, 5.
  const uint8_t header[5] = {3, 6, 2, 1, 1};
  for (int i = 0; i < 5; i++) poke(0x5600 + i, header[i]);
  poke(0x5600 + 'a' * 8, 7);
  poke(0x5600 + 'a' * 8 + 1, 5);
  // clang-format off
  print("\x0e" "aa\x0f\x03" "ka");
  // clang-format on
  EXPECT_EQ(cell_row(1, 1, 0, 3), 7);
  EXPECT_EQ(cell_row(1, 1, 1, 3), 5);
  EXPECT_EQ(cell_row(4, 1, 0, 3), 7);
  EXPECT_EQ(code_at(10, 0), 'a');  // the built-in font again: 4x6, no offset
  EXPECT_EQ(pstate().cursor_x, 14);
}

TEST_F(PrintTest, AttributeRegistersSetTheContext) {
  poke(0x5f36, 0x04);
  // Custom font (bits 0 and 7) with a zero header reads as 8x8.
  poke(0x5f58, 0x81);
  print("a");
  EXPECT_EQ(pstate().cursor_x, 8);
  poke(0x5f58, 0);
  poke(0x5f59, 0x35);  // width 5, height 3
  poke(0x5f5a, 0x17);  // wide width 7, tab (1 + 1) * 4 = 8
  pstate().cursor_x = pstate().cursor_y = 0;
  // clang-format off
  print("a\x80\x09" "b\n");
  // clang-format on
  EXPECT_EQ(print_widest_x(), 5 + 7 + 4 + 5);
  EXPECT_EQ(pstate().cursor_y, 3);
  poke(0x5f5b, 0x21);  // x offset 1, y offset 2
  pstate().cursor_x = pstate().cursor_y = 0;
  fill_screen(0);
  print("a");
  EXPECT_EQ(code_at(1, 2), 'a');
}

TEST_F(PrintTest, NewlineIsAddedUnlessBit2Of5f36) {
  print("a");
  EXPECT_EQ(pstate().cursor_x, 0);
  EXPECT_EQ(pstate().cursor_y, 6);
  poke(0x5f36, 0x04);
  print("a");
  EXPECT_EQ(pstate().cursor_x, 4);
  EXPECT_EQ(pstate().cursor_y, 6);
}

TEST_F(PrintTest, LineHeightIsTheTallestGlyphOfTheLine) {
  // clang-format off
  print("a\x06t" "b\x06-tc\nd");
  // clang-format on
  EXPECT_EQ(code_at(0, 12), 'd');
  EXPECT_EQ(pstate().cursor_y, 12 + 6);
}

TEST_F(PrintTest, ClearCommandFillsWithinClipAndHomesTheCursor) {
  poke(0x5f36, 0x04);
  pstate().cursor_x = pstate().cursor_y = 50;
  tovo_clip_set(0, 0, 64, 128, false);
  // clang-format off
  print("\x06" "c5");
  // clang-format on
  EXPECT_EQ(count(5), 64 * 128);
  EXPECT_EQ(pstate().cursor_x, 0);
  EXPECT_EQ(pstate().cursor_y, 0);
}

TEST_F(PrintTest, CameraMovesTheGlyphBox) {
  poke(0x5f36, 0x04);
  pstate().camera_x = -10;
  pstate().camera_y = -5;
  print("a");
  EXPECT_EQ(code_at(10, 5), 'a');
}

TEST_F(PrintTest, GlyphChargeCountsItsPixels) {
  poke(0x5f36, 0x04);
  lua_reset_cpu_cycles(L);
  print("a");
  const int plain = lua_get_cpu_cycles(L);
  lua_reset_cpu_cycles(L);
  // clang-format off
  print("\x06w\x06t" "a");
  // clang-format on
  const int big = lua_get_cpu_cycles(L);
  // (24 + 1) / 2 = 12 against (96 + 1) / 2 = 48, doubled; two more steps of
  // two bytes each.
  EXPECT_EQ(plain, 2 * 12 + 2);
  EXPECT_EQ(big, 2 * 48 + 2 + 2 * 2 * 2);
}

TEST_F(PrintTest, WrapStartsANewLineAtHome) {
  pstate().print_home_x = pstate().cursor_x = 120;
  print("abcd", TOVO_PRINT_WRAP);
  EXPECT_EQ(code_at(120, 0), 'a');
  EXPECT_EQ(code_at(124, 0), 'b');
  EXPECT_EQ(code_at(120, 6), 'c');
  EXPECT_EQ(code_at(124, 6), 'd');
}

TEST_F(PrintTest, WrapRightEdgeIsTheClipRectangle) {
  tovo_clip_set(0, 0, 8, 128, false);
  print("abc", TOVO_PRINT_WRAP);
  EXPECT_EQ(code_at(0, 6), 'c');
}

TEST_F(PrintTest, ScrollModeNewlineScrollsPastTheBottom) {
  fill_screen(0);
  screen()->pixels[6 * 128] = 3;  // row 6 moves to row 0
  pstate().cursor_y = 120;
  lua_reset_cpu_cycles(L);
  print("a", TOVO_PRINT_SCROLL);
  EXPECT_EQ(pstate().cursor_y, 120);
  EXPECT_EQ(px(0, 0), 3);
  EXPECT_EQ(code_at(0, 114), 'a');
  EXPECT_EQ(count(0, 0, 122, 127, 127), 128 * 6);
  EXPECT_GE(lua_get_cpu_cycles(L), 2 * 65536);
}

TEST_F(PrintTest, ScrollModeScrollsBeforeAGlyphBelowTheScreen) {
  pstate().cursor_y = 130;  // 8 rows past 122
  poke(0x5f36, 0x04);
  print("a", TOVO_PRINT_SCROLL);
  EXPECT_EQ(pstate().cursor_y, 122);
  EXPECT_EQ(code_at(0, 122), 'a');
  pstate().cursor_x = 0;
  pstate().cursor_y = 1000;  // past the page: all cleared, no rows copied
  print("b", TOVO_PRINT_SCROLL);
  EXPECT_EQ(pstate().cursor_y, 122);
  EXPECT_EQ(ink(), narrow_ink('b'));
}

TEST_F(PrintTest, ARunningCartWithBit6OfScrollNeverScrolls) {
  run_state().running = run_state().program = 1;
  poke(0x5f36, 0x40);
  pstate().cursor_y = 120;
  print("a\nb", TOVO_PRINT_SCROLL);
  EXPECT_EQ(pstate().cursor_y, 132);
  EXPECT_EQ(code_at(0, 120), 'a');
  // Not running: the same bit does not stop it.
  run_state().running = 0;
  pstate().cursor_y = 120;
  print("a", TOVO_PRINT_SCROLL);
  EXPECT_EQ(pstate().cursor_y, 120);
}

TEST_F(PrintTest, WithoutScrollModeTheCursorGoesOffTheScreen) {
  pstate().cursor_y = 120;
  print("a\nb");
  EXPECT_EQ(pstate().cursor_y, 132);
  EXPECT_EQ(code_at(0, 120), 'a');
}

}  // namespace
