#pragma once
// Stand-in for the drawing module's display selection until drawing exists:
// the binding of the sprite source and draw target, and the clip rectangle.

// Clamps display to 0-3 and selects it; the cart's sprite source becomes that
// display's screen when the RAM byte 0x5f54 is 0x60, else the cart's sheet;
// the draw target becomes the screen when 0x5f55 is non-zero, else the
// sheet; then clipping is applied again.
void set_draw_display(int display);

// Resets the clip of the cart's sheet and of the draw target, then clips the
// draw target to the clip registers.
void update_gfx_clipping();
