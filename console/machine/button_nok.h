#pragma once
// The press of a button that only a controller may give. The menu and the
// shell use button_pressed; nothing in the player calls this one.
#include <cstdint>

// As button_pressed, but 0 unless the controller of player p still shows
// button b (player_button above 128): a key or the mouse alone does not count.
int32_t button_pressed_nok(int32_t b, int32_t p);
