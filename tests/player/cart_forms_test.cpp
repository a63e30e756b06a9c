// Cart pieces beside the readers and writers: the text cart's digits, the
// ROM bytes as hexadecimal text, the old format's match finder and the PXA
// bit writer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "player/cart/cart_text.h"
#include "player/cart/cart_text_tools.h"
#include "player/cart/compress_old.h"

namespace {

TEST(cart_digits, EachWayAndTheLabelMapping) {
  for (int32_t v = 0; v < 32; v++) {
    EXPECT_EQ(base32_digit_value(value_base32_digit(v)), v);
    EXPECT_EQ(base32_digit_value(toupper(value_base32_digit(v))), v);
    if (v < 16) {
      EXPECT_EQ(hex_digit_value(value_hex_digit(v)), v);
    }
  }
  const std::pair<int32_t, int32_t> hex[] = {{'0', 0}, {'9', 9}, {'a', 10}, {'F', 15}, {'g', 0}, {' ', 0}, {0, 0}};
  for (const auto& [c, v] : hex) EXPECT_EQ(hex_digit_value(c), v) << c;
  const std::pair<int32_t, int32_t> b32[] = {{'g', 16}, {'v', 31}, {'V', 31}, {'w', 0}, {'-', 0}};
  for (const auto& [c, v] : b32) EXPECT_EQ(base32_digit_value(c), v) << c;
  EXPECT_EQ(value_hex_digit(0x1c), 'c');
  EXPECT_EQ(value_base32_digit(33), '1');
  // Label pixels: 0-15 as hex digits, the extended colours 128-143 as g-v.
  const std::pair<int32_t, char> labels[] = {{0, '0'}, {12, 'c'}, {128, 'g'}, {130, 'i'}, {143, 'v'}};
  for (const auto& [pixel, digit] : labels) {
    EXPECT_EQ(label_pixel_digit(pixel), digit) << pixel;
    EXPECT_EQ(label_digit_pixel(digit), pixel) << digit;
  }
  EXPECT_EQ(label_digit_pixel('G'), 128);
  EXPECT_EQ(label_digit_pixel('z'), 0);
}

TEST(cart_hex_rom, DigitPairsFillTheRom) {
  std::string text = "0a1B";                   // sprite sheet bytes 0 and 1
  text += std::string(2 * (0x3000 - 2), '0');  // up to the sprite flags
  text += "ff";                                // flags of sprite 0
  tovo_cart* cart = load_tovo_cart_hex(text.c_str());
  ASSERT_NE(cart, nullptr);
  EXPECT_EQ(tovo_peek(nullptr, cart, 0), 0x0a);
  EXPECT_EQ(tovo_peek(nullptr, cart, 1), 0x1b);
  EXPECT_EQ(cart->gfx->rows[0][0], 0x0a) << "low nibble left";
  EXPECT_EQ(cart->gfx->rows[0][3], 0x01);
  EXPECT_EQ(cart->gff[0], 0xff);
  EXPECT_EQ(tovo_peek(nullptr, cart, 0x3001), 0) << "the text ended: the rest is 0";
  EXPECT_STREQ(cart->code, "");
  EXPECT_EQ(cart->version, TOVO_CART_VERSION);
  tarq_destroy_tovo_cart(cart);

  // A character that is no digit counts as 0; an odd last digit is dropped;
  // digits past the ROM are ignored.
  std::string rom(2 * TOVO_ROM_SIZE + 10, '1');
  rom[0] = 'x';
  cart = load_tovo_cart_hex(rom.c_str());
  ASSERT_NE(cart, nullptr);
  EXPECT_EQ(tovo_peek(nullptr, cart, 0), 0x01);
  EXPECT_EQ(tovo_peek(nullptr, cart, TOVO_ROM_SIZE - 1), 0x11);
  tarq_destroy_tovo_cart(cart);
  cart = load_tovo_cart_hex("7");
  ASSERT_NE(cart, nullptr);
  EXPECT_EQ(tovo_peek(nullptr, cart, 0), 0);
  tarq_destroy_tovo_cart(cart);
  cart = load_tovo_cart_hex(nullptr);
  ASSERT_NE(cart, nullptr);
  tarq_destroy_tovo_cart(cart);
}

TEST(old_match_finder, LongestNearestCopyWithinTheWindow) {
  struct {
    std::string text;
    int32_t pos, length, offset;
  } cases[] = {
      {"abcXabc", 4, 3, 4},
      {"abcdXabcdY", 5, 4, 5},
      {"abcXabcdYabcd", 9, 4, 5},                            // the longer, nearer copy
      {"abXab", 3, 0, 0},                                    // two bytes left: too short
      {"abcabcabcabc", 3, 9, 3},                             // a copy may run into the bytes it makes
      {std::string(40, 'z'), 20, 17, 1},                     // at most 17 bytes
      {"abc" + std::string(3200, '.') + "abc", 3203, 0, 0},  // too far back
      {"abc" + std::string(3110, '.') + "abc", 3113, 3, 3113},
  };
  for (const auto& c : cases) {
    tovo_old_match_index index;
    old_match_index_clear(&index);
    const uint8_t* t = reinterpret_cast<const uint8_t*>(c.text.data());
    int32_t len = (int32_t)c.text.size(), offset = -1, length = 0;
    for (int32_t p = 0; p <= c.pos; p++) length = old_find_repeatable_block(t, len, p, &index, &offset);
    EXPECT_EQ(length, c.length) << c.text.substr(0, 16) << " at " << c.pos;
    EXPECT_EQ(offset, c.offset) << c.text.substr(0, 16) << " at " << c.pos;
  }
}

TEST(pxa_bit_writer, LowBitFirstUntilFull) {
  uint8_t out[2] = {0xff, 0xff};
  tovo_bit_writer w{out, 2, 0};
  const int bits[] = {1, 0, 1, 1, 0, 0, 0, 0, 1};
  for (int b : bits) EXPECT_TRUE(pxa_write_bit(&w, b));
  EXPECT_EQ(out[0], 0x0d);
  EXPECT_EQ(out[1] & 1, 1);
  EXPECT_EQ(w.bits, 9);
  for (int i = 9; i < 16; i++) EXPECT_TRUE(pxa_write_bit(&w, 0));
  EXPECT_FALSE(pxa_write_bit(&w, 1)) << "two bytes hold 16 bits";
  EXPECT_EQ(w.bits, 16);
  EXPECT_EQ(out[1], 0x01);
}

}  // namespace
