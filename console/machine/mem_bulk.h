#pragma once
// Copying, filling and reloading ranges of the address space. The result is
// that of peeking and poking byte by byte, except that the fast paths write
// the live structures of the sheet, map and screen pages alone (their RAM
// image, which no read sees, keeps its bytes), do not test the reset counter,
// and memset gives the map cells of the shared half (from TOVO_SHARED_START)
// the low nibble of the value in both halves.
#include <cstdint>

struct tovo_cart;
struct tovo_machine_state;

// Copies n bytes (nothing when n <= 0) in runs that stay inside one 256-byte
// page on both sides: forward when dst < src, else backward from the ends.
void tovo_memcpy(tovo_machine_state* machine, tovo_cart* cart, int32_t dst, int32_t src, int32_t n);

// Copies one run; pages of kind 0 go byte by byte, the others by blocks. A run
// that crosses a page on either side goes byte by byte; one longer than
// 0x7fff bytes does nothing.
void tovo_memcpy_segment(tovo_machine_state* machine, tovo_cart* cart, int32_t dst, int32_t src, int32_t len);

// Sets n bytes (nothing when n <= 0) to value & 0xff, a page at a time.
void tovo_memset(tovo_machine_state* machine, tovo_cart* cart, int32_t address, int32_t value, int32_t n);

// Copies size bytes from the working cart's ROM (as read through a null
// machine: 0 at and above TOVO_ROM_SIZE) at src upward into memory at dst upward.
// Nothing when size <= 0 or size >= 0x8000, or when there is no working cart.
void tovo_reload(tovo_machine_state* machine, tovo_cart* cart, int32_t dst, int32_t src, int32_t size);

// The same as peeking and poking each byte in turn over the whole range: the
// copy goes forward when dst < src, else backward from the last byte, and
// does nothing for n <= 0 or n > 0x7fff; the fill sets n bytes (nothing when
// n <= 0). Pages of kind 0 are copied and filled this way.
void tovo_memcpy_bytewise(tovo_machine_state* machine, tovo_cart* cart, int32_t dst, int32_t src, int32_t n);
void tovo_memset_bytewise(tovo_machine_state* machine, tovo_cart* cart, int32_t address, int32_t value, int32_t n);

// The storage behind address a for its page kind: the pixel pair (kinds 1
// and 2), the map cell (8) or the RAM image byte (9, 10); null for kind 0.
uint8_t* tovo_mem_place(tovo_machine_state* machine, tovo_cart* cart, uint32_t a);
