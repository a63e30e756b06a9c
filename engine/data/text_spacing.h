#pragma once
// The pixels between glyphs of bitmap-font text (tarq_font_spacing; negative
// values count as 0). The player keeps the spacing it starts with.
#include <cstdint>

void tarq_set_text_spacing(int32_t n);
int32_t tarq_get_text_spacing();
