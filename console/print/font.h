#pragma once
// The print fonts: 256 entries of 8 bytes. Entry 0 is the header (byte 0
// width of codes below 128, byte 1 width of codes 128 and up, byte 2 height,
// byte 3 x offset, byte 4 y offset); entry c is the glyph of code c, 8 row
// bytes from the top, bit j of a row being column j. The built-in font is
// made from the glyph bitmaps of the console font pod; the custom font is
// the RAM image at TOVO_CUSTOM_FONT, read in place.
#include <cstdint>

#include "console/machine/memory_map.h"

struct tarq_pod;

constexpr int TOVO_FONT_BYTES = 2048;

enum {
  TOVO_FONT_WIDTH = 0,
  TOVO_FONT_WIDE_WIDTH = 1,
  TOVO_FONT_HEIGHT = 2,
  TOVO_FONT_X_OFFSET = 3,
  TOVO_FONT_Y_OFFSET = 4,
};

// Builds the built-in font from the 256 glyph bitmaps of a font pod (a
// missing glyph stays blank; columns and rows past 7 are dropped), then
// writes the header 4, 8, 6, 0, 0. Returns the font built.
const uint8_t* init_bitwise_font(const tarq_pod* glyphs);
// The built-in font, built from tovo_console_font() the first time (and
// again when the shell installs another font pod).
const uint8_t* tovo_builtin_font();
// The custom font at TOVO_CUSTOM_FONT of the RAM image.
const uint8_t* tovo_custom_font();

// Value of a control-code argument character: '0'-'9' 0-9, 'a' and above
// ch - 87, anything else 0. The offset value is that minus 16.
inline int32_t print_digit(uint8_t ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  return ch >= 'a' ? ch - 87 : 0;
}
inline int32_t print_offset(uint8_t ch) { return print_digit(ch) - 16; }
