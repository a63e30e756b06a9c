#pragma once
// Bitmap-font text centred on x (tarq_draw_text_ex with TARQ_TEXT_CENTRE and
// colour 0). The player places its text by its left edge.
#include <cstdint>

struct tarq_bitmap;
struct tarq_pod;

int32_t tarq_draw_text_c(tarq_bitmap* b, const char* text, tarq_pod* font, int32_t x, int32_t y);
