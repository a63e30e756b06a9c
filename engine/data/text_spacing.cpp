// The pixels between glyphs of bitmap-font text.
#include "engine/data/text_spacing.h"

#include <algorithm>

#include "engine/data/text.h"

void tarq_set_text_spacing(int32_t n) { tarq_fonts.tarq_font_spacing = std::max(n, 0); }

int32_t tarq_get_text_spacing() { return tarq_fonts.tarq_font_spacing; }
