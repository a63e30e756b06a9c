#pragma once
// The shared half of a cart made whole again from one side (map rows 32-63
// are sprite sheet rows 64-127). The player keeps both sides in step byte by
// byte as it writes, so it never copies a whole side.
struct tovo_cart;

// Map rows 32-63 from sheet rows 64-127, and the reverse.
void sync_shared_gfx_to_map(tovo_cart* cart);
void sync_shared_map_to_gfx(tovo_cart* cart);
