#pragma once
// Questions about the buttons that nothing in the player asks: the press of a
// button that only a controller may give (the menu and the shell use
// button_pressed), and whether a key drives a console button (the cart
// browser's page keys ask it).
#include <cstdint>

// As button_pressed, but 0 unless the controller of player p still shows
// button b (player_button above 128): a key or the mouse alone does not count.
int32_t button_pressed_nok(int32_t b, int32_t p);

// True when the scancode is one of player 0's entries 1-6.
bool is_key_bound(int32_t code);
