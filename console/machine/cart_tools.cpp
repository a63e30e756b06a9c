// Storing memory into the working cart and saving it, the shared half of a
// cart made whole again from one side, and the sandbox test of cart files.
#include "console/machine/cart_tools.h"

#include <cstdint>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/shell_port.h"
#include "engine/data/gfx.h"

void tovo_cstore(tovo_machine_state* machine, tovo_cart* cart, int32_t dst, int32_t src, int32_t size) {
  constexpr int32_t LONGEST_STORE = 0x8000;
  tovo_cart* working = pitem(0);
  if (size <= 0 || size >= LONGEST_STORE || !working) return;
  const uint32_t offset = static_cast<uint32_t>(dst) - static_cast<uint32_t>(src);
  for (int32_t i = 0; i < size; i++) {
    const uint32_t g = (static_cast<uint32_t>(src) + static_cast<uint32_t>(i)) & 0xffff;
    const uint32_t h = (offset + g) & 0xffff;
    tovo_poke(nullptr, working, static_cast<int32_t>(h), tovo_peek(machine, cart, static_cast<int32_t>(g)));
  }
  tovo_shell().quick_save();
}

// The shared half of a cart, made whole again from one side: map rows 32-63
// are the sprite sheet's rows 64-127, two pixels a byte. The half's memory
// addresses are also its offsets among the map's cells and the sheet's pixel
// pairs.
void sync_shared_gfx_to_map(tovo_cart* cart) {
  for (int32_t a = TOVO_SHARED_START; a < TOVO_MAP_START; a++) {
    const uint8_t* pair = cart->gfx->pixels + 2 * a;
    cart->map->pixels[a] = static_cast<uint8_t>((pair[0] & 15) | (pair[1] & 15) << 4);
  }
}

void sync_shared_map_to_gfx(tovo_cart* cart) {
  for (int32_t a = TOVO_SHARED_START; a < TOVO_MAP_START; a++) {
    const uint8_t v = cart->map->pixels[a];
    cart->gfx->pixels[2 * a] = v & 15;
    cart->gfx->pixels[2 * a + 1] = v >> 4;
  }
}

// Every cart file is sandboxed.
int is_sandboxed_cart_file(const char*) { return 1; }
