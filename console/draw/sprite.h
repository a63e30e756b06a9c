#pragma once
// Sprites and sprite flags: whole sheet cells (spr), stretched sheet
// rectangles (sspr), single sheet pixels and the eight flag bits of each of
// the 256 sprites. Sprites are read from the sprite source (the cart's
// gfx_view) through the draw palette and drawn into the draw target.
#include <cstdint>

// Sprite n (0-255) as a w x h pixel block (1-128 each) at (x, y) before the
// camera, flipped as asked. Returns the CPU charge: the destination pixels
// inside the clip rectangle; 0 when nothing is drawn.
int32_t tovo_spr(int32_t n, int32_t x, int32_t y, int32_t w, int32_t h, bool flip_x, bool flip_y);

// The sw x sh sheet rectangle at (sx, sy) stretched to dw x dh at (dx, dy)
// before the camera; a negative dw or dh mirrors. Nothing unless 1 <= sw,
// sh <= 128 and dw, dh are not 0. Returns the CPU charge as tovo_spr does.
int32_t tovo_sspr(int32_t sx, int32_t sy, int32_t sw, int32_t sh, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                  bool flip_x, bool flip_y);

// The sprite source's pixel & 15, 0 outside its clip rectangle.
int32_t tovo_sget(int32_t x, int32_t y);
// Sheet pixel (x, y), both 0-127, becomes colour & 15. Always the sprite
// sheet itself (and the map cell and RAM byte that share it), even while
// sprites are read from the screen.
void tovo_sset(int32_t x, int32_t y, int32_t colour);

// Flag byte of sprite n, 0 outside 0-255.
int32_t tovo_fget(int32_t n);
void tovo_fset(int32_t n, int32_t flags);

// Frees the scratch bitmaps that spr and sspr keep between calls.
void tovo_free_sprite_scratch();
