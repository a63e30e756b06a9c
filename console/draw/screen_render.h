#pragma once
// Rendering the machine's screen into the picture that is shown: the display
// palette, the secondary palette by the extended palette mode, and the
// screen modes (stretch, mirror, flip, turn).
#include <cstdint>

struct tarq_bitmap;

// How the machine stands while its screen is rendered; the player knows it.
struct tovo_screen_view {
  int32_t program_started;  // a cart's program has started since the last reset
  int32_t running;          // the machine runs (not stopped, booting or on the splash)
};

// Renders screen page `page` into dst, a 128x128 8-bit bitmap, as colours
// 0-15 and 128-143. Once the program has started, the sprite sheet is the
// source while it is the draw target; before, screen page 0 always is. The
// screen mode applies only to a started program of a running machine. A
// palette mode that reaches the extended colours starts their glitch.
void tovo_render_screen(int32_t page, tarq_bitmap* dst, const tovo_screen_view& view);

// Applies screen mode `mode` to a 128x128 8-bit bitmap in place.
void apply_draw_mode(tarq_bitmap* b, int32_t mode);
