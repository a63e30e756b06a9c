#pragma once
// Bitmap-font text. A font is a pod of glyph bitmaps, one per character code,
// in sets of 256 (codes 0..255) or, when the item count is not a multiple of
// 256, sets of 96 (codes 32..127); each set has one depth, so one font can
// draw into 8-bit and 32-bit bitmaps.
#include <cstdint>

#include "engine/data/gfx.h"

struct tarq_pod;

// The engine's fonts and the spacing of all text: the text module makes the
// fonts (tarq_text_init) and sets the spacing (engine/data/text_layout.h).
struct tarq_text_fonts {
  tarq_pod* tarq_font1 = nullptr;  // 5x5, light grey in its 32-bit set
  tarq_pod* tarq_font2 = nullptr;  // 6x5 bold, white in its 32-bit set
  int32_t tarq_font_spacing = 1;   // pixels between glyphs
};
extern tarq_text_fonts tarq_fonts;

// tarq_draw_text_ex flags
constexpr int32_t TARQ_TEXT_ONE_COLOUR = 0x01;
constexpr int32_t TARQ_TEXT_CENTRE = 0x02;
constexpr int32_t TARQ_TEXT_RIGHT = 0x04;
constexpr int32_t TARQ_TEXT_KEEP_INSIDE = 0x08;
constexpr int32_t TARQ_TEXT_WRAP = 0x10;

int tarq_text_init();
int tarq_text_exit();
// Draws with the top-left at (x, y) after alignment; returns the y of the last line.
int32_t tarq_draw_text_ex(tarq_bitmap* b, const char* text, tarq_pod* font, int32_t x, int32_t y, int32_t flags,
                          uint32_t colour);
int32_t tarq_draw_text(tarq_bitmap* b, const char* text, tarq_pod* font, int32_t x, int32_t y);
int32_t tarq_draw_text_phat(tarq_bitmap* b, const char* text, tarq_pod* font, int32_t x, int32_t y, int32_t flags,
                            uint32_t outline, uint32_t colour);
int32_t tarq_get_text_width(const char* text, tarq_pod* font);

// The glyph of `code` in the set that starts at item `set`; null when the
// code is outside the set's range or the font has no such glyph.
tarq_bitmap* tarq_font_glyph(const tarq_pod* font, int32_t set, int32_t code);
