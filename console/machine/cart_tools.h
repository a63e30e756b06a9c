#pragma once
// What the cart record offers that nothing in the player calls: storing
// memory into the working cart and saving it (reload the other way round; the
// script's cstore writes cart files through the shell instead), making the
// shared half of a cart whole again from one side (the player keeps both
// sides in step byte by byte as it writes, so it never copies a whole side),
// and whether a cart file is sandboxed (every path is).
#include <cstdint>

struct tovo_cart;
struct tovo_machine_state;

// Copies size bytes of memory at src upward (read as tovo_peek reads them)
// into the working cart's ROM at dst upward (written as a poke with no
// machine writes a cart: nothing at or above 0x4300), then saves the working
// cart through the shell. Nothing when size <= 0 or size >= 0x8000, or when
// there is no working cart.
void tovo_cstore(tovo_machine_state* machine, tovo_cart* cart, int32_t dst, int32_t src, int32_t size);

// Map rows 32-63 from sheet rows 64-127, and the reverse.
void sync_shared_gfx_to_map(tovo_cart* cart);
void sync_shared_map_to_gfx(tovo_cart* cart);

int is_sandboxed_cart_file(const char* path);  // 1
