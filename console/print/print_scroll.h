#pragma once
// Console scrolling of the print engine: the console newline and the scroll
// before a glyph that would pass the bottom of the screen. Neither scrolls
// while a cart program runs with TOVO_FEATURE_NO_SCROLL set.
#include <cstdint>

struct tarq_bitmap;

// Cursor y += line height; past camera y + 122 the cursor goes back 6 and
// the target's rows move up 6, the bottom 6 cleared to 0.
void print_console_newline(tarq_bitmap* target, int32_t line_height);
// Moves the target's rows up n (the freed bottom rows cleared to 0) and the
// cursor y up n.
void print_scroll_screen(tarq_bitmap* target, int32_t n);
