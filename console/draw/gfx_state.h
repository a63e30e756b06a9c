#pragma once
// The draw-state operations behind cls, color, clip, camera, fillp, pset and
// pget, and display selection: which of the machine's screens drawing works
// on, the binding of the sprite source and the draw target, and the clip
// rectangle. Coordinates from scripts become target coordinates by
// subtracting the camera and cutting to signed 16 bits (tovo_target_x/y of
// the integer parts).
#include <cstdint>

// Integer part of a 16.16 script value.
inline int32_t tovo_int(int32_t value) { return value >> 16; }
// Integer coordinates to target coordinates.
int32_t tovo_target_x(int32_t x);
int32_t tovo_target_y(int32_t y);

// Cursor and print home to 0, the clip rectangle to the whole screen, then
// the whole target filled with colour & 0xff (no palette, pattern or masks).
void tovo_cls(int32_t colour);

// The old and the new clip rectangle as x0, y0, x1, y1.
struct tovo_clip_rect {
  int32_t x0, y0, x1, y1;
};
// clip(): the whole screen. Returns the old rectangle.
tovo_clip_rect tovo_clip_reset();
// clip(x, y, w, h, [intersect]): x1 = x + w, y1 = y + h, intersected with the
// old rectangle when asked, clamped to 0..128. Returns the old rectangle.
tovo_clip_rect tovo_clip_set(int32_t x, int32_t y, int32_t w, int32_t h, bool intersect);

// Pokes the camera registers with the low 16 bits of x and y; the old camera
// as signed 16-bit values read back through peek.
void tovo_camera(int32_t x, int32_t y, int32_t* old_x, int32_t* old_y);

// fillp(): word 0; fillp(p): the 16.16 value's integer low 16 bits with the
// fraction's flag bits 0x8000, 0x4000, 0x2000 as bits 16, 17, 18. Returns
// the old word as a 16.16 value (bits 16 and 17 as fraction bits).
int32_t tovo_fillp(bool given, int32_t value);

// One pixel at target coordinates in a resolved colour with the fill pattern.
void tovo_pset(int32_t x, int32_t y, uint32_t colour);
// The draw target's pixel & 15, 0 outside its clip rectangle.
int32_t tovo_pget(int32_t x, int32_t y);

// Clamps display to 0-3 and selects it; the cart's sprite source becomes that
// display's screen when the RAM byte TOVO_REG_SPRITE_SOURCE is
// TOVO_SOURCE_SCREEN, else the cart's sheet; the draw target becomes the
// screen when TOVO_REG_DRAW_TARGET is non-zero, else the sheet; then
// clipping is applied again.
void set_draw_display(int display);

// Resets the clip of the cart's sheet and of the draw target, then clips the
// draw target to the clip registers.
void update_gfx_clipping();

// The 128x128 tiles of the back page, 1 to 4 (1 without a back page). The
// tv-frame page (144x136) holds one.
int get_number_of_displays();
