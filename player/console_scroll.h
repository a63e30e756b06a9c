#pragma once
// Scrolling the console text screen by n rows. Nothing in the player calls
// it.
#include <cstdint>

// Moves the console text up n rows, clearing the rows freed at the bottom;
// not while a running cart has turned scrolling off (TOVO_FEATURE_NO_SCROLL).
void scroll_immediate_mode_screen(int32_t n);
