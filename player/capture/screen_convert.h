#pragma once
// The machine's screen rendered (console/draw/screen_render.h) as the shell
// stands, and the tv frame around the back page.
#include <cstdint>

struct tarq_bitmap;
struct tarq_palette;

// Renders screen page `page` into dst with the shell's machine mode and
// whether its program has started.
void blit_tovo_back_page_to_tovo_screen_into(int32_t page, tarq_bitmap* dst);
// The same into the shell's display bitmap.
void blit_tovo_back_page_to_tovo_screen(int32_t page);
// The tv frame around a 144x136 back page; `frame` is the 32-bit frame
// picture and `pal` the resource palette (both may be null).
void draw_tv_frame(tarq_bitmap* back_page, const tarq_bitmap* frame, const tarq_palette* pal);
