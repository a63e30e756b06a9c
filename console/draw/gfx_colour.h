#pragma once
// Colour arguments and palettes: how a script's colour value becomes a
// resolved colour byte (pen colour, patterned colours, the draw palette and
// the secondary palette), and the palette and transparency operations behind
// pal and palt.
#include <cstdint>

// A colour argument given as the 16.16 value: the pen becomes its integer
// part & 0xff; with the colour-argument flag exactly 1 and bit 0x1000 of the
// integer part the fraction becomes the fill pattern. Returns the resolved
// colour byte.
uint32_t tovo_colour_arg(int32_t value);
// No colour argument: the pen colour, resolved.
uint32_t tovo_colour_pen();
// The draw palette (or, with pattern bit 18, the secondary palette) applied
// to colour byte c.
uint32_t tovo_resolve_colour(uint32_t c);
// The pattern part of a colour argument alone; true when it applied.
bool tovo_colour_pattern(int32_t value);

// pal(c0, c1, p): entry k & 15 of the draw (p 0), screen (1) or secondary (2)
// palette takes v; returns the old entry (the draw palette's without its
// transparency bit), or 0 for another p, which changes nothing.
int32_t tovo_pal_set(int32_t k, int32_t v, int32_t p);
// pal(p): 0 draw, 1 screen, 2 secondary, -1 all three palettes to their
// defaults; other values do nothing.
void tovo_pal_reset(int32_t p);

// The transparency bits as palt returns them: bit 15 - i for colour i.
int32_t tovo_palt_bits();
// Colour i transparent when bit 15 - i of bits is set.
void tovo_palt_set_bits(int32_t bits);
// Colour c & 15 transparent or opaque; returns whether it was transparent.
bool tovo_palt_set(int32_t c, bool transparent);
