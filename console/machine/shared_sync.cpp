// The shared half of a cart, made whole again from one side: map rows 32-63
// are the sprite sheet's rows 64-127, two pixels a byte. The half's memory
// addresses are also its offsets among the map's cells and the sheet's pixel
// pairs.
#include "console/machine/shared_sync.h"

#include <cstdint>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"

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
