// The built-in font from the font pod's glyph bitmaps, and the custom font.
#include "console/print/font.h"

#include <cstring>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "engine/data/gfx.h"
#include "engine/data/text.h"

namespace {

uint8_t bitwise_font_dat[TOVO_FONT_BYTES];

const tarq_pod* built_from = nullptr;
bool built = false;

}  // namespace

const uint8_t* init_bitwise_font(const tarq_pod* glyphs) {
  std::memset(bitwise_font_dat, 0, sizeof bitwise_font_dat);
  for (int32_t c = 0; c < 256; c++) {
    const tarq_bitmap* g = tarq_font_glyph(glyphs, 0, c);
    if (!g || g->depth != 8 || !g->rows) continue;
    const int32_t rows = g->height < 8 ? g->height : 8;
    const int32_t cols = g->width < 8 ? g->width : 8;
    for (int32_t r = 0; r < rows; r++) {
      uint8_t bits = 0;
      for (int32_t j = 0; j < cols; j++) {
        if (g->rows[r][j]) bits = static_cast<uint8_t>(bits | 1u << j);
      }
      bitwise_font_dat[c * 8 + r] = bits;
    }
  }
  std::memset(bitwise_font_dat, 0, 8);
  bitwise_font_dat[TOVO_FONT_WIDTH] = 4;
  bitwise_font_dat[TOVO_FONT_WIDE_WIDTH] = 8;
  bitwise_font_dat[TOVO_FONT_HEIGHT] = 6;
  built_from = glyphs;
  built = true;
  return bitwise_font_dat;
}

const uint8_t* tovo_builtin_font() {
  const tarq_pod* glyphs = tovo_console_font();
  if (!built || built_from != glyphs) init_bitwise_font(glyphs);
  return bitwise_font_dat;
}

const uint8_t* tovo_custom_font() { return pstate().ram + TOVO_CUSTOM_FONT; }
