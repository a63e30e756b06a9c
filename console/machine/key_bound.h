#pragma once
// Whether a key drives a console button: the cart browser's page keys ask it;
// nothing in the player does.
#include <cstdint>

// True when the scancode is one of player 0's entries 1-6.
bool is_key_bound(int32_t code);
