// Stand-in peeks over a flat 64 KiB array; replaced by the memory map.
#include "console/peek_standin.h"

uint8_t tovo_standin_ram[0x10000];

namespace {

uint32_t byte_at(uint32_t a) { return tovo_standin_ram[a & 0xffff]; }

}  // namespace

int32_t tovo_peek_1(int32_t addr) {
  uint32_t a = static_cast<uint32_t>(addr) >> 16;
  return static_cast<int32_t>(byte_at(a) << 16);
}

int32_t tovo_peek_2(int32_t addr) {
  uint32_t a = static_cast<uint32_t>(addr) >> 16;
  return static_cast<int32_t>((byte_at(a) | byte_at(a + 1) << 8) << 16);
}

int32_t tovo_peek_4(int32_t addr) {
  uint32_t a = static_cast<uint32_t>(addr) >> 16;
  return static_cast<int32_t>(byte_at(a) | byte_at(a + 1) << 8 | byte_at(a + 2) << 16 |
                              byte_at(a + 3) << 24);
}
