#pragma once
// The draw-state and hardware registers (memory_map.h). Live registers are
// fields of the machine state (a write stores the byte in the RAM image, then
// in the field; a read answers from the field); the others live in the RAM
// image only and are read there by the modules that use them.
#include <cstdint>

struct tovo_cart;
struct tovo_machine_state;

// The register steps of tovo_poke and tovo_peek, for TOVO_REGISTERS_START <=
// a < TOVO_REGISTERS_END and v 0-255 (the RAM image byte is already stored
// when the write runs).
void tovo_register_write(tovo_machine_state* machine, uint32_t a, uint32_t v);
uint32_t tovo_register_read(const tovo_machine_state* machine, uint32_t a);

// The register part of the runtime reset: zeroes every register through the
// register writes and sets the defaults, keeping the print cursor y, the
// PRNG words and TOVO_REG_KEPT_BYTE.
void tovo_reset_registers(tovo_machine_state* machine, tovo_cart* cart);
