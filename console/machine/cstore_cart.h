#pragma once
// Storing memory into the working cart and saving it: reload the other way
// round. The script's cstore writes cart files through the shell instead, so
// nothing in the player calls it.
#include <cstdint>

struct tovo_cart;
struct tovo_machine_state;

// Copies size bytes of memory at src upward (read as tovo_peek reads them)
// into the working cart's ROM at dst upward (written as a poke with no
// machine writes a cart: nothing at or above 0x4300), then saves the working
// cart through the shell. Nothing when size <= 0 or size >= 0x8000, or when
// there is no working cart.
void tovo_cstore(tovo_machine_state* machine, tovo_cart* cart, int32_t dst, int32_t src, int32_t size);
