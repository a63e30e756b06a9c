#pragma once
// A font pod for print tests that does not depend on the real font art: 256
// glyph bitmaps, codes below 128 4x6 and codes 128 and up 8x6, each glyph's
// rows encoding its own code (narrow: row 0 the low nibble, row 1 the high
// nibble, rows 2-3 a fixed mark 1001/0110; wide: row 0 the code, row 1 its
// complement, rows 2-5 a diagonal cross).
#include <cstdint>

struct tarq_pod;

// Row r (0-7) of glyph code c as font bits (bit j = column j); rows 6 and 7
// are empty.
uint8_t synthetic_glyph_row(int32_t code, int32_t row);
// A new font pod of the 256 glyphs (pixel 1 where a bit is set); destroy it
// with tarq_destroy_pod.
tarq_pod* make_synthetic_font_pod();
