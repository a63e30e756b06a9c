// memcpy, memset and reload over the page kinds.
#include "console/machine/mem_bulk.h"

#include <algorithm>
#include <cstring>

#include "console/machine/machine_record.h"
#include "console/machine/mem_decode.h"

namespace {

constexpr uint32_t PAGE = 256;
constexpr int32_t LONGEST_RUN = 0x7fff;

bool is_pixel_kind(uint8_t kind) { return kind == TOVO_PAGE_SHEET || kind == TOVO_PAGE_SCREEN; }
bool needs_machine(uint8_t kind) {
  return kind == TOVO_PAGE_SCREEN || kind == TOVO_PAGE_USER || kind == TOVO_PAGE_UPPER;
}
bool in_shared_half(uint32_t a) { return a >= TOVO_SHARED_START && a < TOVO_MAP_START; }

// Map rows 32-63 follow the sheet bytes of the run just written.
void resync_map(tovo_cart* cart, uint32_t d, uint32_t len) {
  uint8_t* cells = tovo_map_cell(cart, d);
  const uint8_t* pairs = tovo_sheet_pair(cart, d);
  for (uint32_t i = 0; i < len; i++) cells[i] = static_cast<uint8_t>(tovo_pair_byte(pairs + 2 * i));
}

void copy_fast(tovo_machine_state* machine, tovo_cart* cart, uint32_t d, uint32_t s, uint32_t len, uint8_t kd,
               uint8_t ks) {
  uint8_t* dp = tovo_mem_place(machine, cart, d);
  const uint8_t* sp = tovo_mem_place(machine, cart, s);
  bool dst_pixels = is_pixel_kind(kd), src_pixels = is_pixel_kind(ks);
  if (dst_pixels == src_pixels) {
    std::memmove(dp, sp, dst_pixels ? 2 * len : len);
  } else if (dst_pixels) {
    for (uint32_t i = 0; i < len; i++) tovo_set_pair(dp + 2 * i, sp[i]);
  } else {
    for (uint32_t i = 0; i < len; i++) dp[i] = static_cast<uint8_t>(tovo_pair_byte(sp + 2 * i));
  }
  if (in_shared_half(d)) resync_map(cart, d, len);
}

void set_page(tovo_machine_state* machine, tovo_cart* cart, uint32_t a, uint32_t v, uint32_t len) {
  uint8_t kind = mem_section[a >> 8];
  if (kind == TOVO_PAGE_SPECIAL) {
    tovo_memset_bytewise(machine, cart, static_cast<int32_t>(a), static_cast<int32_t>(v), static_cast<int32_t>(len));
    return;
  }
  if (!machine && needs_machine(kind)) return;  // pokes there do nothing
  uint8_t* p = tovo_mem_place(machine, cart, a);
  if (!is_pixel_kind(kind)) {
    std::memset(p, static_cast<int>(v), len);
    return;
  }
  for (uint32_t i = 0; i < len; i++) tovo_set_pair(p + 2 * i, v);
  if (in_shared_half(a)) std::memset(tovo_map_cell(cart, a), static_cast<int>((v & 15) * 17), len);
}

}  // namespace

uint8_t* tovo_mem_place(tovo_machine_state* machine, tovo_cart* cart, uint32_t a) {
  switch (mem_section[a >> 8]) {
    case TOVO_PAGE_SHEET: return tovo_sheet_pair(cart, a);
    case TOVO_PAGE_SCREEN: return tovo_screen_pair(machine, a);
    case TOVO_PAGE_MAP: return tovo_map_cell(cart, a);
    case TOVO_PAGE_USER:
    case TOVO_PAGE_UPPER: return machine->ram + a;
    default: return nullptr;
  }
}

void tovo_memcpy_bytewise(tovo_machine_state* machine, tovo_cart* cart, int32_t dst, int32_t src, int32_t n) {
  if (n <= 0 || n > LONGEST_RUN) return;
  const uint32_t d = static_cast<uint32_t>(dst) & 0xffff, s = static_cast<uint32_t>(src) & 0xffff;
  const uint32_t len = static_cast<uint32_t>(n);
  auto copy = [&](uint32_t i) {
    tovo_poke_byte(machine, cart, (d + i) & 0xffff, tovo_peek_byte(machine, cart, (s + i) & 0xffff));
  };
  if (d < s) {
    for (uint32_t i = 0; i < len; i++) copy(i);
  } else {
    for (uint32_t i = len; i-- > 0;) copy(i);
  }
}

void tovo_memset_bytewise(tovo_machine_state* machine, tovo_cart* cart, int32_t address, int32_t value, int32_t n) {
  const uint32_t a = static_cast<uint32_t>(address), v = static_cast<uint32_t>(value) & 0xff;
  for (int32_t i = 0; i < n; i++) tovo_poke_byte(machine, cart, (a + static_cast<uint32_t>(i)) & 0xffff, v);
}

void tovo_memcpy_segment(tovo_machine_state* machine, tovo_cart* cart, int32_t dst, int32_t src, int32_t len) {
  if (len <= 0 || len > LONGEST_RUN) return;
  uint32_t d = static_cast<uint32_t>(dst) & 0xffff, s = static_cast<uint32_t>(src) & 0xffff;
  uint32_t n = static_cast<uint32_t>(len);
  uint8_t kd = mem_section[d >> 8], ks = mem_section[s >> 8];
  bool one_page = (d & 0xff) + n <= PAGE && (s & 0xff) + n <= PAGE;
  bool fast = one_page && kd != TOVO_PAGE_SPECIAL && ks != TOVO_PAGE_SPECIAL &&
              (machine || (!needs_machine(kd) && !needs_machine(ks)));
  if (fast) {
    copy_fast(machine, cart, d, s, n, kd, ks);
  } else {
    tovo_memcpy_bytewise(machine, cart, static_cast<int32_t>(d), static_cast<int32_t>(s), len);
  }
}

void tovo_memcpy(tovo_machine_state* machine, tovo_cart* cart, int32_t dst, int32_t src, int32_t n) {
  if (n <= 0) return;
  uint32_t d = static_cast<uint32_t>(dst) & 0xffff, s = static_cast<uint32_t>(src) & 0xffff;
  uint32_t remaining = static_cast<uint32_t>(n);
  if (d < s) {
    while (remaining > 0) {
      uint32_t run = std::min({PAGE - (s & 0xff), PAGE - (d & 0xff), remaining});
      tovo_memcpy_segment(machine, cart, static_cast<int32_t>(d), static_cast<int32_t>(s), static_cast<int32_t>(run));
      d = (d + run) & 0xffff;
      s = (s + run) & 0xffff;
      remaining -= run;
    }
    return;
  }
  uint32_t s_end = s + remaining, d_end = d + remaining;  // below 2^32: n < 2^31
  while (remaining > 0) {
    uint32_t run = std::min({((s_end - 1) & 0xff) + 1, ((d_end - 1) & 0xff) + 1, remaining});
    s_end -= run;
    d_end -= run;
    remaining -= run;
    tovo_memcpy_segment(machine, cart, static_cast<int32_t>(d_end & 0xffff), static_cast<int32_t>(s_end & 0xffff),
                        static_cast<int32_t>(run));
  }
}

void tovo_memset(tovo_machine_state* machine, tovo_cart* cart, int32_t address, int32_t value, int32_t n) {
  if (n <= 0) return;
  uint32_t a = static_cast<uint32_t>(address) & 0xffff, v = static_cast<uint32_t>(value) & 0xff;
  uint32_t remaining = static_cast<uint32_t>(n);
  while (remaining > 0) {
    uint32_t step = std::min(PAGE - (a & 0xff), remaining);
    set_page(machine, cart, a, v, step);
    a = (a + step) & 0xffff;
    remaining -= step;
  }
}

void tovo_reload(tovo_machine_state* machine, tovo_cart* cart, int32_t dst, int32_t src, int32_t size) {
  constexpr int32_t LONGEST_RELOAD = 0x8000;
  tovo_cart* working = pitem(0);
  if (size <= 0 || size >= LONGEST_RELOAD || !working) return;
  uint32_t offset = static_cast<uint32_t>(dst) - static_cast<uint32_t>(src);
  for (int32_t i = 0; i < size; i++) {
    uint32_t g = (static_cast<uint32_t>(src) + static_cast<uint32_t>(i)) & 0xffff;
    uint32_t h = (offset + g) & 0xffff;
    tovo_poke_byte(machine, cart, h, tovo_peek_byte(nullptr, working, g));
  }
}
