#pragma once
// True-colour pictures to console colours and back. The player converts no
// pictures this way.
struct tarq_bitmap;
struct tarq_palette;

// 32-bit source to 8-bit destination of the same size: the index k of the
// nearest colour palette[screen palette entry k] (squared RGB distance, the
// first minimum wins). Equal depths copy.
void tovo_convert_bitmap_to_screen_pal(tarq_bitmap* source, tarq_bitmap* dest, const tarq_palette* palette);
// Equal sizes. 8 to 32 bits: the palette's colour with alpha 0xff, colour 0
// with alpha 0. 32 to 8 bits: the nearest of indices 0-15 and 128-143.
// Equal depths copy.
void tovo_convert_bitmap(tarq_bitmap* source, tarq_bitmap* dest, const tarq_palette* palette);
