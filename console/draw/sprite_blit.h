#pragma once
// The sprite blitters shared by spr, sspr and map. Scratch pixels hold 0-15
// for opaque colours already through the draw palette and 16 or more for
// transparent ones. Drawn pixels take the bitplane masks; with fill-pattern
// bit 17 they also take the pattern, each colour v as the pair secondary[v].
#include <cstdint>

#include "engine/data/gfx.h"

// Copies a w x h rectangle through palette (each pixel palette[p & 15] as a
// byte), clipped to the whole source and the destination's clip rectangle;
// the flips mirror inside what is left after clipping.
void tovo_blit(const tarq_bitmap* source, tarq_bitmap* dest, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t w,
               int32_t h, bool flip_x, bool flip_y, const int32_t* palette);

// Draws a source rectangle, skipping values of 16 and more.
void tovo_draw_sprite(const tarq_bitmap* source, tarq_bitmap* dest, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                      int32_t w, int32_t h);

// As tovo_draw_sprite with each pixel mapped through palette on the way;
// entries with any of bits 4-7 set are skipped.
void tovo_draw_sprite_pal(const tarq_bitmap* source, tarq_bitmap* dest, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                          int32_t w, int32_t h, const int32_t* palette);

// Scales the whole source to dw x dh at (dx, dy), sampling at half a step.
void tovo_stretch_blit(const tarq_bitmap* source, tarq_bitmap* dest, int32_t dx, int32_t dy, int32_t dw, int32_t dh);

// The area of the rectangle (x, y, w, h) inside the clip rectangle of t.
int32_t tovo_clipped_area(const tarq_bitmap* t, int32_t x, int32_t y, int32_t w, int32_t h);
