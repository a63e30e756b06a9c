#pragma once
// Files and pictures dropped on the window: carts are refused, pictures of
// up to 128x128 go to serial channel 0x802 as palette indices, other files
// of up to 256 KiB to channel 0x800.

constexpr int TOVO_DROP_MAX_FILE = 262144;
constexpr int TOVO_DROP_MAX_SIDE = 128;

// Handles the engine's last dropped file, if any, and forgets it.
void handle_dropped_file();
