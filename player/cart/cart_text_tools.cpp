// The digits of the text cart's sections, a cart's ROM from a hexadecimal
// text, and guessing the cart-format version of a program text.
#include "player/cart/cart_text_tools.h"

#include <cstring>
#include <vector>

#include "console/machine/cart.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_text.h"

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

tovo_cart* load_tovo_cart_hex(const char* text) {
  tovo_cart* cart = tarq_create_tovo_cart();
  if (!cart) return nullptr;
  std::vector<uint8_t> image(TOVO_CART_IMAGE_SIZE, 0);  // an empty code area: empty code
  size_t n = text ? strlen(text) / 2 : 0;
  for (size_t a = 0; a < n && a < (size_t)TOVO_ROM_SIZE; a++)
    image[a] = (uint8_t)(hex_digit_value(text[2 * a]) << 4 | hex_digit_value(text[2 * a + 1]));
  load_tovo_cart_32k(cart, image.data());
  cart->version = TOVO_CART_VERSION;
  return cart;
}

// Guessing the cart-format version of a program text.
namespace {

bool has_old_long_string(const char* code) {
  for (const char* p = strstr(code, "[["); p; p = strstr(p + 1, "[["))
    if ((p == code || p[-1] != '-')) return true;
  return false;
}

// A "printh" followed by something other than a blank, a newline or "(",
// or a call whose own parentheses hold a ",".
bool has_new_printh(const char* code) {
  for (const char* p = strstr(code, "printh"); p; p = strstr(p + 1, "printh")) {
    const char* q = p + 6;
    if (*q && *q != ' ' && *q != '\n' && *q != '(') return true;
    while (*q == ' ' || *q == '\n') q++;
    if (*q != '(') continue;
    int32_t depth = 0;
    for (; *q; q++) {
      if (*q == '(') depth++;
      if (*q == ')' && --depth == 0) break;
      if (*q == ',' && depth == 1) return true;
    }
  }
  return false;
}

}  // namespace

int32_t tarq_determine_cart_version(const char* code) {
  if (has_old_long_string(code)) return 9;
  if (has_new_printh(code)) return 10;
  return 8;
}
