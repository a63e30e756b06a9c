#pragma once
// The address decode shared by tovo_peek, tovo_poke, the peek operators and
// the bulk operations; inline so that the peek operators repeat it in place.
// Sheet and screen bitmaps are 128 pixels wide, so the pixel pair of byte
// offset o is pixels[2o] and pixels[2o + 1].
#include <cstdint>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/memory_map.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"

inline uint8_t* tovo_sheet_pair(tovo_cart* cart, uint32_t a) { return cart->gfx_view->pixels + 2 * a; }
inline uint8_t* tovo_screen_pair(tovo_machine_state* machine, uint32_t a) {
  return machine->draw_target->pixels + 2 * (a - TOVO_SCREEN_START);
}
// a in the shared half or the map: map rows 32-63 for the shared half, rows
// 0-31 above it.
inline uint8_t* tovo_map_cell(tovo_cart* cart, uint32_t a) {
  return cart->map->pixels + (a < TOVO_MAP_START ? a : a - TOVO_MAP_START);
}
inline uint32_t tovo_pair_byte(const uint8_t* pair) { return (pair[0] & 15u) | (pair[1] & 15u) << 4; }
inline void tovo_set_pair(uint8_t* pair, uint32_t v) {
  pair[0] = static_cast<uint8_t>(v & 15);
  pair[1] = static_cast<uint8_t>(v >> 4);
}

// Flags, music, sound effects, cart data, registers and GPIO (page kind 0).
uint32_t tovo_peek_special(tovo_machine_state* machine, tovo_cart* cart, uint32_t a);
void tovo_poke_special(tovo_machine_state* machine, tovo_cart* cart, uint32_t a, uint32_t v);

inline uint32_t tovo_peek_byte(tovo_machine_state* machine, tovo_cart* cart, uint32_t a) {
  switch (mem_section[a >> 8]) {
    case TOVO_PAGE_USER:
    case TOVO_PAGE_UPPER: return machine ? machine->ram[a] : 0;
    case TOVO_PAGE_SCREEN: return machine ? tovo_pair_byte(tovo_screen_pair(machine, a)) : 0;
    case TOVO_PAGE_SHEET: return tovo_pair_byte(tovo_sheet_pair(cart, a));
    case TOVO_PAGE_MAP: return *tovo_map_cell(cart, a);
    default: return tovo_peek_special(machine, cart, a);
  }
}

// The poke after its reset-counter test and RAM image store.
inline void tovo_poke_live(tovo_machine_state* machine, tovo_cart* cart, uint32_t a, uint32_t v) {
  switch (mem_section[a >> 8]) {
    case TOVO_PAGE_USER:
    case TOVO_PAGE_UPPER: return;
    case TOVO_PAGE_SCREEN:
      if (machine) tovo_set_pair(tovo_screen_pair(machine, a), v);
      return;
    case TOVO_PAGE_SHEET:
      tovo_set_pair(tovo_sheet_pair(cart, a), v);
      if (a >= TOVO_SHARED_START) *tovo_map_cell(cart, a) = static_cast<uint8_t>(v);
      return;
    case TOVO_PAGE_MAP: *tovo_map_cell(cart, a) = static_cast<uint8_t>(v); return;
    default: tovo_poke_special(machine, cart, a, v);
  }
}

// True when the reset sequence drops a write at a (user memory, cart data).
inline bool tovo_write_dropped(const tovo_machine_state* machine, uint32_t a) {
  return machine && machine->reset_counter > 0 && a >= TOVO_USER_START && a < TOVO_REGISTERS_START;
}

inline void tovo_poke_byte(tovo_machine_state* machine, tovo_cart* cart, uint32_t a, uint32_t v) {
  if (tovo_write_dropped(machine, a)) return;
  if (machine) machine->ram[a] = static_cast<uint8_t>(v);
  tovo_poke_live(machine, cart, a, v);
}
