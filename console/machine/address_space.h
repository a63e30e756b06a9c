#pragma once
// The machine's 64 KiB address space. The live structures (the cart's sheet,
// map, flags, music and sound effects; registers; cart data; the draw target)
// are authoritative and the RAM image in the machine state is their shadow:
// a poke stores in the RAM image, then in the structure; a peek answers from
// the structure where there is one.
//
// machine is &pstate(), or null for the cart loaders' conversions between a
// cart's structures and its ROM bytes: then only the first TOVO_ROM_SIZE
// bytes have effect (pokes above do nothing, peeks above read 0) and no RAM
// image is touched.
// Every address is taken & 0xffff and every value & 0xff.
#include <cstdint>

#include "console/machine/memory_map.h"

struct tovo_cart;
struct tovo_machine_state;

// Page kinds of the 256-byte pages, one entry a page.
enum tovo_page_kind : uint8_t {
  TOVO_PAGE_SPECIAL = 0,  // flags to sound effects, cart data to GPIO: byte by byte
  TOVO_PAGE_SHEET = 1,    // the sheet: two pixels of the sprite source
  TOVO_PAGE_SCREEN = 2,   // the screen: two pixels of the draw target
  TOVO_PAGE_MAP = 8,      // the map's own rows: one map cell
  TOVO_PAGE_USER = 9,     // user memory: RAM image
  TOVO_PAGE_UPPER = 10,   // upper memory: RAM image
};
extern const uint8_t mem_section[256];

void tovo_poke(tovo_machine_state* machine, tovo_cart* cart, int32_t address, int32_t value);
int32_t tovo_peek(tovo_machine_state* machine, tovo_cart* cart, int32_t address);

// The script runtime's peek operators, given to the interpreter as its
// host's services: a 16.16 address (integer part taken, wrapping) read
// through pstate() and its cart, a 16.16 result. tovo_peek_2 is the signed
// little-endian 16-bit value, tovo_peek_4 the four bytes as a 16.16 word.
int32_t tovo_peek_1(int32_t address);
int32_t tovo_peek_2(int32_t address);
int32_t tovo_peek_4(int32_t address);

// Does nothing: the font is read from memory when it is drawn.
void reload_font();
