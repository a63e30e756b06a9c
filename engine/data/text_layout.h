#pragma once
// Bitmap-font text as the player never lays it out: the pixels between glyphs
// (tarq_font_spacing; negative values count as 0; the player keeps the
// spacing it starts with), and text centred on x (tarq_draw_text_ex with
// TARQ_TEXT_CENTRE and colour 0; the player places its text by its left
// edge).
#include <cstdint>

struct tarq_bitmap;
struct tarq_pod;

void tarq_set_text_spacing(int32_t n);
int32_t tarq_get_text_spacing();

int32_t tarq_draw_text_c(tarq_bitmap* b, const char* text, tarq_pod* font, int32_t x, int32_t y);
