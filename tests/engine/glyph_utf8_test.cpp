#include <gtest/gtest.h>

#include <string>

#include "engine/formats/glyph_utf8.h"
#include "engine/tracked_mem.h"

namespace {

std::string to_utf8(const std::string& glyphs, int keep) {
  char* s = convert_glyphs_to_escaped_ex((const uint8_t*)glyphs.c_str(), nullptr, keep);
  std::string r(s);
  tarq_free(s);
  return r;
}

std::string to_glyphs(const std::string& utf8) {
  uint8_t* g = convert_escaped_to_glyphs(utf8.c_str(), nullptr);
  std::string r((const char*)g);
  tarq_free(g);
  return r;
}

}  // namespace

TEST(EngineGlyphUtf8, KnownCodes) {
  EXPECT_EQ(to_utf8("\x82", 1), "\xF0\x9F\x90\xB1");
  EXPECT_EQ(to_glyphs("\xF0\x9F\x90\xB1"), "\x82");
  EXPECT_EQ(to_utf8("A", 1), "A");
  EXPECT_EQ(to_utf8("A", 0), "\xF0\x9D\x98\xA2");  // U+1D622
  EXPECT_EQ(to_utf8("Z", 0), "\xF0\x9D\x98\xBB");  // U+1D63B
  EXPECT_EQ(to_utf8("\x01\x04", 1), "\xC2\xB9\xE2\x81\xB4");
  EXPECT_EQ(to_utf8("\x7F", 1), "\xE2\x97\x8B");
  EXPECT_EQ(to_utf8("\x9A", 1), "\xE3\x81\x82");              // あ
  EXPECT_EQ(to_utf8("\xCB", 1), "\xE3\x82\x87");              // ょ
  EXPECT_EQ(to_utf8("\xCC", 1), "\xE3\x82\xA2");              // ア
  EXPECT_EQ(to_utf8("\xFD", 1), "\xE3\x83\xA7");              // ョ
  EXPECT_EQ(to_utf8("\x83", 1), "\xE2\xAC\x87\xEF\xB8\x8F");  // ⬇️ with its selector
  EXPECT_EQ(to_utf8("a\tb\nc", 0), "a\tb\nc");
  // ⁰ has no glyph: its bytes arrive raw. A carriage return disappears.
  EXPECT_EQ(to_glyphs("\xE2\x81\xB0"), "\xE2\x81\xB0");
  EXPECT_EQ(to_glyphs("a\r\nb\tc"), "a\nb\tc");
  // An arrow without its selector is not the arrow glyph.
  EXPECT_EQ(to_glyphs("\xE2\xAC\x87"), "\xE2\xAC\x87");
  // Sequences cut short by the end of the text are copied, never overrun.
  EXPECT_EQ(to_glyphs("\xE3"), "\xE3");
  EXPECT_EQ(to_glyphs("\xE3\x81"), "\xE3\x81");
  EXPECT_EQ(to_glyphs("\xF0\x9F\x90"), "\xF0\x9F\x90");
  EXPECT_EQ(to_glyphs("\xE2\x97"), "\xE2\x97");
}

TEST(EngineGlyphUtf8, EveryCodeRoundTripsWithBothCapitalSettings) {
  for (int keep = 0; keep <= 1; keep++) {
    std::string all;
    for (int c = 1; c < 256; c++)
      if (c != 13) all += (char)c;  // 13 is dropped on the way back by design
    std::string utf8 = to_utf8(all, keep);
    EXPECT_EQ(to_glyphs(utf8), all) << "keep capitals " << keep;
    EXPECT_LE(utf8.size(), 7 * all.size());
    for (int c = 1; c < 256; c++) {
      if (c == 13) continue;
      std::string one(1, (char)c);
      EXPECT_EQ(to_glyphs(to_utf8(one, keep)), one) << "code " << c << " keep " << keep;
    }
  }
}

TEST(EngineGlyphUtf8, CallerBuffers) {
  char out[64];
  EXPECT_EQ(convert_glyphs_to_escaped((const uint8_t*)"Hi\x80", out), out);
  EXPECT_STREQ(out, "Hi\xE2\x96\x88");
  uint8_t back[64];
  EXPECT_EQ(convert_escaped_to_glyphs(out, back), back);
  EXPECT_STREQ((const char*)back, "Hi\x80");
  EXPECT_STREQ(convert_glyphs_to_escaped((const uint8_t*)"", out), "");
}
