#pragma once
// A moment of a fade between two palettes (t from 0 to 256), set as the
// video palette. The player fades no palette.
#include <cstdint>

struct tarq_palette;

// Palette tools
void tarq_fade_palette_moment(const tarq_palette* a, const tarq_palette* b, int32_t t);
