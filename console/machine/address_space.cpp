// The page-kind table, tovo_peek and tovo_poke, and the peek operators.
#include "console/machine/address_space.h"

#include "console/machine/machine_record.h"
#include "console/machine/mem_decode.h"

namespace {

uint32_t address_of(int32_t fixed) { return static_cast<uint32_t>(fixed) >> 16; }

// The peek operators read whatever the machine holds: before the shell made
// the machine's cart and screens, the addresses they back read 0.
bool machine_complete() { return pstate().cart && pstate().draw_target; }

uint32_t byte_of_incomplete(uint32_t a) {
  uint8_t kind = mem_section[a >> 8];
  if ((!pstate().cart && a < TOVO_USER_START) || (!pstate().draw_target && kind == TOVO_PAGE_SCREEN)) return 0;
  return tovo_peek_byte(&pstate(), pstate().cart, a);
}

uint32_t byte_at(uint32_t a) {
  a &= 0xffff;
  return machine_complete() ? tovo_peek_byte(&pstate(), pstate().cart, a) : byte_of_incomplete(a);
}

// Four bytes of one page of kind 1, 2, 8, 9 or 10, decoded once.
bool peek_4_in_page(uint32_t a, uint32_t* out) {
  const uint8_t* p;
  switch (mem_section[a >> 8]) {
    case TOVO_PAGE_USER:
    case TOVO_PAGE_UPPER: p = pstate().ram + a; break;
    case TOVO_PAGE_MAP:
      if (!pstate().cart) return false;
      p = tovo_map_cell(pstate().cart, a);
      break;
    case TOVO_PAGE_SHEET:
      if (!pstate().cart) return false;
      p = tovo_sheet_pair(pstate().cart, a);
      *out = tovo_pair_byte(p) | tovo_pair_byte(p + 2) << 8 | tovo_pair_byte(p + 4) << 16 | tovo_pair_byte(p + 6) << 24;
      return true;
    case TOVO_PAGE_SCREEN:
      if (!pstate().draw_target) return false;
      p = tovo_screen_pair(&pstate(), a);
      *out = tovo_pair_byte(p) | tovo_pair_byte(p + 2) << 8 | tovo_pair_byte(p + 4) << 16 | tovo_pair_byte(p + 6) << 24;
      return true;
    default: return false;
  }
  *out = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
  return true;
}

}  // namespace

// clang-format off
const uint8_t mem_section[256] = {
#define P16(k) k, k, k, k, k, k, k, k, k, k, k, k, k, k, k, k
    P16(1), P16(1),                                      // 0x00-0x1f sheet
    P16(8),                                              // 0x20-0x2f map
    P16(0), 0, 0, 0,                                     // 0x30-0x42 special
    9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, P16(9),             // 0x43-0x5d user
    0, 0,                                                // 0x5e-0x5f special
    P16(2), P16(2),                                      // 0x60-0x7f screen
    P16(10), P16(10), P16(10), P16(10), P16(10), P16(10), P16(10), P16(10),  // 0x80-0xff upper
#undef P16
};
// clang-format on

void tovo_poke(tovo_machine_state* machine, tovo_cart* cart, int32_t address, int32_t value) {
  tovo_poke_byte(machine, cart, static_cast<uint32_t>(address) & 0xffff, static_cast<uint32_t>(value) & 0xff);
}

int32_t tovo_peek(tovo_machine_state* machine, tovo_cart* cart, int32_t address) {
  return static_cast<int32_t>(tovo_peek_byte(machine, cart, static_cast<uint32_t>(address) & 0xffff));
}

int32_t tovo_peek_1(int32_t address) { return static_cast<int32_t>(byte_at(address_of(address)) << 16); }

int32_t tovo_peek_2(int32_t address) {
  uint32_t a = address_of(address);
  return static_cast<int32_t>(byte_at(a) << 16 | byte_at(a + 1) << 24);
}

int32_t tovo_peek_4(int32_t address) {
  uint32_t a = address_of(address), word;
  if ((a & 0xff) <= 0xfc && peek_4_in_page(a, &word)) return static_cast<int32_t>(word);
  return static_cast<int32_t>(byte_at(a) | byte_at(a + 1) << 8 | byte_at(a + 2) << 16 | byte_at(a + 3) << 24);
}

void reload_font() {}
