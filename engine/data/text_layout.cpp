// The pixels between glyphs of bitmap-font text, and text centred on a point.
#include "engine/data/text_layout.h"

#include <algorithm>

#include "engine/data/text.h"

void tarq_set_text_spacing(int32_t n) { tarq_fonts.tarq_font_spacing = std::max(n, 0); }

int32_t tarq_get_text_spacing() { return tarq_fonts.tarq_font_spacing; }

// Bitmap-font text centred on a point.
int32_t tarq_draw_text_c(tarq_bitmap* b, const char* text, tarq_pod* font, int32_t x, int32_t y) {
  return tarq_draw_text_ex(b, text, font, x, y, TARQ_TEXT_CENTRE, 0);
}
