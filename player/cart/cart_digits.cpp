#include "player/cart/cart_digits.h"

namespace {

constexpr const char* DIGITS = "0123456789abcdefghijklmnopqrstuv";
constexpr int32_t EXTENDED_BIT = 0x80;
constexpr int32_t EXTENDED_OFFSET = 112;  // digit 16 ('g') is pixel 128

}  // namespace

int32_t hex_digit_value(int32_t c) {
  int32_t v = base32_digit_value(c);
  return v < 16 ? v : 0;
}

char value_hex_digit(int32_t v) { return DIGITS[v & 15]; }

int32_t base32_digit_value(int32_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'v') return c - 'a' + 10;
  if (c >= 'A' && c <= 'V') return c - 'A' + 10;
  return 0;
}

char value_base32_digit(int32_t v) { return DIGITS[v & 31]; }

char label_pixel_digit(int32_t pixel) { return DIGITS[(pixel & EXTENDED_BIT ? 16 : 0) + (pixel & 15)]; }

int32_t label_digit_pixel(int32_t c) {
  int32_t v = base32_digit_value(c);
  return v >= 16 ? v + EXTENDED_OFFSET : v;
}
