#pragma once
// Display selection: which of the machine's screens drawing works on, the
// binding of the sprite source and the draw target, and the clip rectangle.
#include <cstdint>

// 1 while the shell shows the tv frame around a single display; the shell
// copies its tv_frame setting here.
extern int32_t tovo_display_tv_frame;

// Clamps display to 0-3 and selects it; the cart's sprite source becomes that
// display's screen when the RAM byte 0x5f54 is 0x60, else the cart's sheet;
// the draw target becomes the screen when 0x5f55 is non-zero, else the
// sheet; then clipping is applied again.
void set_draw_display(int display);

// Resets the clip of the cart's sheet and of the draw target, then clips the
// draw target to the clip registers.
void update_gfx_clipping();

// 1 with the tv frame; else the 128x128 tiles of the back page, 1 to 4.
int get_number_of_displays();
