#pragma once
// The machine's 64 KiB address space. The live structures (the cart's sheet,
// map, flags, music and sound effects; registers; cart data; the draw target)
// are authoritative and the RAM image in the machine state is their shadow:
// a poke stores in the RAM image, then in the structure; a peek answers from
// the structure where there is one.
//
// machine is &pstate, or null for the cart loaders' conversions between a
// cart's structures and its ROM bytes: then only 0x0000-0x42ff has effect
// (pokes above do nothing, peeks above read 0) and no RAM image is touched.
// Every address is taken & 0xffff and every value & 0xff.
#include <cstdint>

#include "script/console_services.h"

struct tovo_cart;
struct tovo_machine_state;

// Page kinds of the 256-byte pages, one entry a page.
enum tovo_page_kind : uint8_t {
  TOVO_PAGE_SPECIAL = 0,  // 0x3000-0x42ff, 0x5e00-0x5fff: byte by byte
  TOVO_PAGE_SHEET = 1,    // 0x0000-0x1fff: two pixels of the sprite source
  TOVO_PAGE_SCREEN = 2,   // 0x6000-0x7fff: two pixels of the draw target
  TOVO_PAGE_MAP = 8,      // 0x2000-0x2fff: one map cell
  TOVO_PAGE_USER = 9,     // 0x4300-0x5dff: RAM image
  TOVO_PAGE_UPPER = 10,   // 0x8000-0xffff: RAM image
};
extern const uint8_t mem_section[256];

void tovo_poke(tovo_machine_state* machine, tovo_cart* cart, int32_t address, int32_t value);
int32_t tovo_peek(tovo_machine_state* machine, tovo_cart* cart, int32_t address);

// The script runtime's peek operators (tovo_peek_1, _2 and _4, declared with
// its console services) read through pstate and its cart.

// Does nothing: the font is read from memory when it is drawn.
void reload_font();
