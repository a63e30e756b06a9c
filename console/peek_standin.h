#pragma once
// Stand-in for the console memory's peek operators until the memory map
// exists: a flat 64 KiB array read little endian.
#include <cstdint>

extern uint8_t tovo_standin_ram[0x10000];

// Byte at (addr >> 16) & 0xffff as a whole number.
int32_t tovo_peek_1(int32_t addr);
// Little-endian 16-bit value as a whole number.
int32_t tovo_peek_2(int32_t addr);
// Four bytes as a raw little-endian 16.16 value.
int32_t tovo_peek_4(int32_t addr);
