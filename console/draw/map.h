#pragma once
// The map: a grid of byte cells, each naming a sprite. Its place and shape
// come from the RAM bytes TOVO_REG_MAP_BASE (base page) and
// TOVO_REG_MAP_WIDTH (width, 0 = 256) on every access: a base below the page
// of upper memory is the cart map (8192 bytes read as rows of the width), a
// base in upper memory a map in the RAM image at that page. The cart map's
// bytes 4096-8191 (rows 32-63 at the default width) are also the sheet's
// shared half: sheet row 2r + (c >> 6) holds map row r, column c.
#include <cstdint>

struct tovo_cart;

struct tovo_map_shape {
  uint8_t* cells;  // the first cell; null without a cart
  int32_t width, height;
};
tovo_map_shape tovo_map_geometry();

// The cell byte, 0 outside the map.
int32_t map_getpixel(int32_t x, int32_t y);
// Stores value in a cell; nothing outside the map. A cart-map cell in the
// shared half also writes the sheet pixels and RAM byte of its address.
void map_putpixel(int32_t x, int32_t y, int32_t value);

// Byte v at a sheet address, written as a poke writes it but into the cart's
// sprite sheet itself whatever the sprite source: the pixel pair, the map
// cell for the shared half and the RAM image byte.
void tovo_write_shared_byte(tovo_cart* cart, int32_t address, int32_t v);

// map(cx, cy, sx, sy, cw, ch, layers): cw x ch cells from cell (cx, cy) drawn
// as sprites at (sx, sy) before the camera; cells holding 0 are skipped unless
// TOVO_FEATURE_DRAW_ZERO is set; with layers, only sprites whose flags share a
// bit with it. Returns the CPU charge: the visible area of the drawn cells.
int32_t tovo_map_draw(int32_t cx, int32_t cy, int32_t sx, int32_t sy, int32_t cw, int32_t ch, int32_t layers);

// tline from (x0, y0) to (x1, y1), 16.16 before the camera, textured from map
// position (mx, my) advancing by (mdx, mdy) per pixel, all 16.16 in cells.
// Returns the number of steps drawn.
int32_t tovo_tline(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t mx, int32_t my, int32_t mdx, int32_t mdy,
                   int32_t layers);
