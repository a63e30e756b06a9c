#pragma once
// Palette tools the player never uses: 8-bit pages to 32-bit pixels through a
// colour table (its presenting converts its pages itself), and a moment of a
// fade between two palettes (it fades no palette).
#include <cstdint>

struct tarq_bitmap;
struct tarq_palette;

// A 256-entry colour table from the video palette, each component divided by
// `divisor` (at least 1); and rows of an 8-bit bitmap converted through such a
// table into 32-bit pixels of the given pitch in bytes.
void calculate_emucol(uint32_t* table, int32_t divisor);
void blit_from_8_to_32(const tarq_bitmap* src, const uint32_t* table, uint32_t* dst, int32_t pitch);

// A moment t (0 to 256) of the fade from a to b, set as the video palette.
void tarq_fade_palette_moment(const tarq_palette* a, const tarq_palette* b, int32_t t);
