// PXA compression and both decoders.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "player/cart/compress.h"

namespace {

std::vector<uint8_t> compress(const std::string& text) {
  std::vector<uint8_t> out(text.size());
  int32_t n = compress_mini(text.data(), out.data(), static_cast<int32_t>(text.size()));
  out.resize(static_cast<size_t>(n));
  return out;
}

// Decodes into a block of exactly `capacity` bytes, so that a write past it
// is caught by AddressSanitizer.
// A block without a compressed header is the text itself.
std::string decompress(const std::vector<uint8_t>& block, int32_t capacity) {
  if (!is_compressed_format_header(block.data(), static_cast<int32_t>(block.size())))
    return std::string(block.begin(), block.end());
  std::vector<char> out(static_cast<size_t>(capacity), 'x');
  decompress_mini(block.data(), static_cast<int32_t>(block.size()), out.data(), capacity);
  EXPECT_NE(memchr(out.data(), 0, out.size()), nullptr);
  return std::string(out.data());
}

// Builds PXA streams by hand: bits from bit 0 of each byte.
struct stream_builder {
  std::vector<uint8_t> bytes;
  int32_t bit = 0;
  void put(uint32_t value, int32_t width) {
    for (int32_t i = 0; i < width; i++, bit++) {
      if ((bit & 7) == 0) bytes.push_back(0);
      if ((value >> i) & 1) bytes.back() |= static_cast<uint8_t>(1 << (bit & 7));
    }
  }
  // A literal of table index 0-15.
  void literal(uint32_t index) {
    put(1, 1);
    put(0, 1);
    put(index, 4);
  }
  void copy5(uint32_t o, uint32_t chunk) {
    put(0, 1);
    put(3, 2);
    put(o, 5);
    put(chunk, 3);
  }
  std::vector<uint8_t> block(int32_t text_len) const {
    int32_t total = static_cast<int32_t>(bytes.size()) + 8;
    std::vector<uint8_t> b = {0,
                              0x70,
                              0x78,
                              0x61,
                              static_cast<uint8_t>(text_len >> 8),
                              static_cast<uint8_t>(text_len),
                              static_cast<uint8_t>(total >> 8),
                              static_cast<uint8_t>(total)};
    // Byte by byte: GCC 12 warns falsely of a range insert into this vector
    // when the release build optimises across files.
    for (uint8_t byte : bytes) b.push_back(byte);
    return b;
  }
};

std::string code_like_text(size_t size, uint32_t seed) {
  static const char* const words[] = {
      "function", "end",  "local", "if", "then", "else",   "for",     "in", "pairs", "return", "spr(",   "map(",
      "print(",   "btn(", "x",     "y",  "dx",   "player", "enemies", "+=", "-=",    "==",     " ",      "\n",
      "\n  ",     "(",    ")",     "0",  "1",    "128",    "0x5f00",  "--", "\"",    "sfx(",   "music(", "add(",
  };
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < size) s += words[rng() % (sizeof words / sizeof words[0])];
  s.resize(size);
  return s;
}

TEST(PxaCompress, HundredLettersGiveTheHandDerivedBlock) {
  std::vector<uint8_t> expected = {0x00, 0x70, 0x78, 0x61, 0x00, 0x64, 0x00, 0x10,
                                   0x17, 0x1b, 0xfc, 0xff, 0xff, 0xff, 0xff, 0x0b};
  EXPECT_EQ(compress(std::string(100, 'a')), expected);
}

TEST(PxaCompress, TextsThatDoNotShrinkArePlacedAsTheyAre) {
  // Every byte value once, each far down the move-to-front table.
  std::string distinct;
  for (int i = 0; i < 200; i++) distinct += static_cast<char>(255 - i);
  for (const std::string& text : {std::string("a"), std::string("ab"), std::string("abcdefgh"), distinct}) {
    std::vector<uint8_t> out = compress(text);
    EXPECT_EQ(std::string(out.begin(), out.end()), text);
  }
  uint8_t untouched = 0x55;
  EXPECT_EQ(compress_mini("", &untouched, 0), 0);
  EXPECT_EQ(untouched, 0x55);
}

TEST(PxaCompress, TextsAboveTheLengthFieldArePlacedAsTheyAre) {
  std::string text(TOVO_PXA_MAX_TEXT + 1, 'z');
  std::vector<uint8_t> out = compress(text);
  EXPECT_EQ(out.size(), text.size());
  EXPECT_EQ(is_compressed_format_header(out.data(), static_cast<int32_t>(out.size())), TOVO_NOT_COMPRESSED);
}

TEST(PxaCompress, RoundTripsOverACorpus) {
  std::mt19937 rng(7);
  std::vector<std::string> corpus = {
      std::string(100, 'a'),    "abcabcabcabcabcabcabc", std::string(TOVO_PXA_MAX_TEXT, 'q'),
      code_like_text(65535, 1), code_like_text(3000, 2), code_like_text(40000, 3),
  };
  for (int alphabet : {2, 4, 16, 95, 256}) {
    std::string s;
    for (int i = 0; i < 5000; i++) s += static_cast<char>(alphabet == 256 ? rng() % 255 + 1 : 'A' + rng() % alphabet);
    corpus.push_back(s);
  }
  // Repeats at offsets that need each width of offset field.
  for (size_t gap : {5u, 31u, 32u, 33u, 500u, 1023u, 1024u, 1025u, 20000u, 32767u, 32768u, 40000u}) {
    std::string unit = code_like_text(gap, static_cast<uint32_t>(gap));
    corpus.push_back(unit + unit.substr(0, 50) + unit);
  }
  for (const std::string& text : corpus) {
    std::vector<uint8_t> block = compress(text);
    ASSERT_LE(block.size(), text.size());
    EXPECT_EQ(decompress(block, static_cast<int32_t>(text.size()) + 1), text) << text.size();
  }
}

TEST(PxaCompress, CodeShrinksToLessThanHalf) {
  std::string text = code_like_text(20000, 9);
  EXPECT_LT(compress(text).size(), text.size() / 2);
}

TEST(PxaDecompress, EveryCapacityCutsTheTextAndEndsItWithANul) {
  std::string text = code_like_text(400, 4) + std::string(50, 'k');
  std::vector<uint8_t> block = compress(text);
  for (int32_t capacity = 1; capacity <= static_cast<int32_t>(text.size()) + 2; capacity++)
    ASSERT_EQ(decompress(block, capacity), text.substr(0, static_cast<size_t>(capacity - 1))) << capacity;
}

TEST(PxaDecompress, TheTextLengthFieldStopsDecoding) {
  std::vector<uint8_t> block = compress(std::string(100, 'a'));
  block[5] = 40;  // the text length field says 40
  EXPECT_EQ(decompress(block, 200), std::string(40, 'a'));
}

TEST(PxaDecompress, HandBuiltItems) {
  // Literal 'b' (index 98: n = 2, v = 50), literal 'a' (now at index 98 too),
  // a copy of 2 back with length 3 + 7 + 2, a raw block "Z!", a copy with a
  // 10-bit offset, and a literal index of 512 that ends the stream.
  stream_builder s;
  for (int i = 0; i < 2; i++) {
    s.put(1, 1);
    s.put(3, 2);
    s.put(0, 1);
    s.put(50, 6);
  }
  s.put(0, 1);
  s.put(3, 2);
  s.put(1, 5);
  s.put(7, 3);
  s.put(2, 3);
  s.put(0, 1);
  s.put(1, 2);
  s.put(0, 10);
  s.put('Z', 8);
  s.put('!', 8);
  s.put(0, 8);
  s.put(0, 1);
  s.put(1, 2);
  s.put(13, 10);  // 14 back
  s.put(0, 3);
  s.put(1, 1);
  s.put(31, 5);
  s.put(0, 1);
  s.put(16, 9);  // index 16 + 496
  s.literal(0);
  EXPECT_EQ(decompress(s.block(1000), 1000), "bababababababaZ!bab");
}

TEST(PxaDecompress, BadReferencesAndShortDataEndTheText) {
  stream_builder back;
  back.literal(5);
  back.copy5(3, 0);  // 4 back after one byte
  EXPECT_EQ(decompress(back.block(100), 100), std::string(1, '\x05'));

  std::vector<uint8_t> block = compress(code_like_text(300, 5));
  for (size_t cut = 0; cut < block.size(); cut++) {
    std::vector<uint8_t> part(block.begin(), block.begin() + static_cast<long>(cut));
    std::vector<char> out(400);
    pxa_decompress(part.data(), static_cast<int32_t>(part.size()), out.data(), 400);
  }

  std::vector<uint8_t> plain = {'h', 'e', 'l', 'l', 'o', 0, 0, 0};
  std::vector<char> out(16, 'x');
  EXPECT_EQ(decompress_mini(plain.data(), 8, out.data(), 16), 0);
  EXPECT_EQ(out[0], 'x');
}

TEST(PxaDecompress, RecognisesBothHeaders) {
  const uint8_t pxa[] = {0, 'p', 'x', 'a'};
  const uint8_t old[] = {':', 'c', ':', 0};
  const uint8_t other[] = {0, 'p', 'x', 'b'};
  EXPECT_EQ(is_compressed_format_header(pxa, 4), TOVO_PXA_FORMAT);
  EXPECT_EQ(is_compressed_format_header(old, 4), TOVO_OLD_FORMAT);
  EXPECT_EQ(is_compressed_format_header(other, 4), TOVO_NOT_COMPRESSED);
  EXPECT_EQ(is_compressed_format_header(pxa, 3), TOVO_NOT_COMPRESSED);
}

std::vector<uint8_t> old_block(int32_t declared, std::vector<uint8_t> codes) {
  std::vector<uint8_t> b = {':', 'c', ':', 0, static_cast<uint8_t>(declared >> 8), static_cast<uint8_t>(declared),
                            0,   0};
  for (uint8_t code : codes) b.push_back(code);
  return b;
}

TEST(OldFormat, ByteCodesTableAndBackReferences) {
  // "x=" via the table, a raw byte 0x80, "\n", then 3 back with length 5
  // (overlapping the bytes it writes), then "_".
  auto block = old_block(10, {36, 51, 0, 0x80, 1, 60, 0x33, 59});
  EXPECT_EQ(decompress(block, 64), "x=\x80\n=\x80\n=\x80_");
  // The declared length stops a reference half way.
  EXPECT_EQ(decompress(old_block(6, {36, 51, 60, 0x32}), 64), "x=x=x=");
}

TEST(OldFormat, LengthsThatDoNotFitAndBadReferencesGiveShortTexts) {
  std::vector<char> out(8, 'x');
  auto block = old_block(8, {2, 2, 2});
  EXPECT_EQ(old_format_decompress(block.data(), static_cast<int32_t>(block.size()), out.data(), 8), 0);
  EXPECT_EQ(std::string(out.begin(), out.end()), std::string(8, '\0'));

  EXPECT_EQ(decompress(old_block(10, {3, 60, 0x02}), 64), "0");  // 2 back after one byte
  EXPECT_EQ(decompress(old_block(10, {3, 60, 0x00}), 64), "0");  // offset 0
  EXPECT_EQ(decompress(old_block(10, {3, 4, 0}), 64), "01");     // data ends inside a code
}

TEST(OldFormat, TheMainLoopTailsAreRemoved) {
  for (std::string tail : {"if(_update60)_update=function()_update60()_update60()end",
                           "if(_update60)_update=function()_update60()_update_buttons()_update60()end"}) {
    std::string text = "print(1)\n" + tail;
    std::vector<uint8_t> codes;
    for (char c : text) {
      codes.push_back(0);
      codes.push_back(static_cast<uint8_t>(c));
    }
    EXPECT_EQ(decompress(old_block(static_cast<int32_t>(text.size()), codes), 1000), "print(1)\n");
  }
}

}  // namespace
