#pragma once
// Files and pictures dropped on the window: carts are not loaded but kept
// for load("@dropped"), pictures of up to 128x128 go to serial channel 0x802
// as palette indices, other files of up to 256 KiB to channel 0x800; and the
// sprite-sheet backup taken before a dropped picture changes what the cart
// sees.
#include <cstdint>

constexpr int TOVO_DROP_MAX_FILE = 262144;
constexpr int TOVO_DROP_MAX_SIDE = 128;

// Handles the engine's last dropped file, if any, and forgets it.
void handle_dropped_file();
// The kept cart becomes the working cart ("dropped.kx", no current file) and
// is no longer kept: 0, or 1 when none is kept.
int32_t load_dropped_cart();
void forget_dropped_cart();

// Pushes an undo state of the working cart's sprite sheet on its first undo
// stack, copies the sheet into the sprite-sheet set's work bitmap and marks
// the graphics as edited.
void backup_gfx();
