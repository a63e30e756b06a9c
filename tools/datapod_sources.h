#pragma once
// Reading the readable sources of the data pod in data/: the palette table,
// the font grid and the text pictures.
#include <cstdint>

struct tarq_bitmap;
struct tarq_palette;
struct tarq_pod;

constexpr int TOVO_SOURCE_PICTURES = 2048;  // picture numbers 0..2047

// 0 read; 1 the file cannot be read; 2 a line is malformed (reported on stderr).
// Colours not named keep base colour (index & 15); 128-143 are the extended set.
int tovo_read_palette_source(const char* path, tarq_palette* out);
// The 256 glyphs, drawn in 4x6 cells (0-127) and 8x6 cells (128-255) whose
// last column and row are spacing: 3x5 and 7x5 bitmaps, set pixels 7.
// A new pod of 256 bitmaps, or null (reported on stderr).
tarq_pod* tovo_read_font_source(const char* path);
// Pictures by number into out[0..TOVO_SOURCE_PICTURES-1] (8-bit bitmaps,
// null where none); 0 read, else non-zero (reported on stderr).
int tovo_read_picture_source(const char* path, tarq_bitmap** out);
