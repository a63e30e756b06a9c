#pragma once
// The stopped screen: with no cart running any of buttons 0-5 of player 0
// ends the program; and scrolling the console text screen.
#include <cstdint>

struct tarq_bitmap;

// Once per update in mode stopped.
void process_immediate_mode_keypresses();
// Moves the console text up n rows, clearing the rows freed at the bottom.
void scroll_immediate_mode_screen(int32_t n);
// The bar " stopped. press button to exit" at the bottom of the page.
void draw_stopped_bar(tarq_bitmap* page);
