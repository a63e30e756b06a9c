#pragma once
// The stopped screen: with no cart running any of buttons 0-5 of player 0
// ends the program, and ctrl-r reads the cart file again and runs it.

struct tarq_bitmap;

// Once per update in mode stopped.
void process_immediate_mode_keypresses();
// The bar " stopped. press button to exit" at the bottom of the page.
void draw_stopped_bar(tarq_bitmap* page);
