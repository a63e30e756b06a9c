#pragma once
// The two pods of carts that the player's installers copy out: the demo
// carts and the preloaded games (see player/cart/cart_installers.h for their layout).
struct tarq_pod;

// Adds both pods, as file items, to the resource pod at their numbers; 0
// done, 1 when a cart cannot be read or converted (a message says which).
// The games become picture carts, written through a scratch file `scratch`.
int tovo_add_installer_pods(tarq_pod* resources, const char* data_folder, const char* scratch);
