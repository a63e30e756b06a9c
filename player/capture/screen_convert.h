#pragma once
// Turning a screen page into the picture that is shown: the display and
// secondary palettes, the screen modes (stretch, mirror, flip, rotate), the
// extended-palette glitch and the tv frame.
#include <cstdint>

struct tarq_bitmap;
struct tarq_palette;

// Converts screen page `page` into dst through the palettes, then (mode
// running and the program started) applies the screen mode.
void blit_tovo_back_page_to_tovo_screen_into(int32_t page, tarq_bitmap* dst);
// The same into the shell's display bitmap.
void blit_tovo_back_page_to_tovo_screen(int32_t page);
// Applies screen mode v to a 128x128 8-bit bitmap in place.
void apply_draw_mode(tarq_bitmap* b, int32_t v);
// The glitch on the back page at engine time now.
void draw_extpal_glitch(tarq_bitmap* back_page, int32_t now);
// The tv frame around a 144x136 back page; `frame` is the 32-bit frame
// picture and `pal` the resource palette (both may be null).
void draw_tv_frame(tarq_bitmap* back_page, const tarq_bitmap* frame, const tarq_palette* pal);
