#pragma once
// Display selection: which of the machine's screens drawing works on, the
// binding of the sprite source and the draw target, and the clip rectangle.
#include <cstdint>

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
