// Memory bindings: peek, peek2, peek4 (ordinary), poke, poke2, poke4 (fast,
// with a direct path into the draw target's pixels for the screen range),
// memcpy and memset.
#include "console/bindings/api_bindings.h"
#include "console/bindings/api_fast.h"
#include "console/bindings/bindings_error.h"
#include "console/machine/address_space.h"
#include "console/machine/machine_record.h"
#include "console/machine/mem_bulk.h"
#include "console/machine/pstate.h"
#include "console/run/spend_cpu.h"
#include "engine/data/gfx.h"
#include "script/api/api.h"
#include "script/vm/cpu.h"

namespace {

constexpr int32_t MAX_COUNT = 8192;

int32_t int_arg(lua_State* L, int i) { return lua_tonumberx(L, i, nullptr) >> 16; }

uint32_t wrap(int32_t address, int64_t offset) {
  return (static_cast<uint32_t>(address) + static_cast<uint32_t>(offset)) & 0xffff;
}

int32_t peek_byte(uint32_t a) { return tovo_peek(&pstate(), pstate().cart, static_cast<int32_t>(a)); }
void poke_byte(uint32_t a, uint32_t v) {
  tovo_poke(&pstate(), pstate().cart, static_cast<int32_t>(a), static_cast<int32_t>(v & 0xff));
}

// Common part of the three peeks: the count, or -1 for no results.
int32_t peek_count(lua_State* L) {
  int top = lua_gettop(L);
  if (top >= 1) lua_add_cpu_cycles(L, -2);  // lowers the slice counter directly
  if (top < 2) return 1;
  int32_t v = lua_tonumberx(L, 2, nullptr);
  if (v < 0x10000) return -1;
  int32_t n = v >> 16;
  return n > MAX_COUNT ? MAX_COUNT : n;
}

template <int Size>
int peek_multiple(lua_State* L) {
  int32_t n = peek_count(L);
  if (n < 0) return 0;
  if (!lua_checkstack(L, n)) return tovo_binding_error(L, "too many peek results");
  int32_t addr = int_arg(L, 1);
  for (int32_t k = 0; k < n; k++) {
    uint32_t word = 0;
    for (int b = 0; b < Size; b++)
      word |= static_cast<uint32_t>(peek_byte(wrap(addr, int64_t{k} * Size + b))) << (8 * b);
    uint32_t raw = Size == 4 ? word : word << 16;
    lua_pushnumber(L, static_cast<int32_t>(raw));
  }
  spend_cpu(n - 1);
  return n;
}

// Writes Size bytes of v (little endian) at a: straight into the draw
// target's pixels (two per byte, low nibble first) inside the screen range,
// else byte by byte through the memory map.
template <int Size>
void poke_value(uint32_t a, uint32_t v) {
  tarq_bitmap* target = pstate().draw_target;
  if (target && a >= TOVO_SCREEN_START && a + Size <= TOVO_UPPER_START) {
    uint8_t* pixels = target->pixels + 2 * (a - TOVO_SCREEN_START);
    for (int i = 0; i < 2 * Size; i++) pixels[i] = static_cast<uint8_t>(v >> (4 * i) & 15);
    return;
  }
  for (int b = 0; b < Size; b++) poke_byte(wrap(static_cast<int32_t>(a), b), v >> (8 * b));
}

template <int Size>
int32_t poke_multiple(lua_State* L) {
  int nargs = L->nargs;
  int32_t count = 1;
  if (nargs >= 2) {
    count = nargs - 1 > MAX_COUNT ? MAX_COUNT : nargs - 1;
    lua_add_cpu_cycles(L, -2);  // lowers the slice counter directly
  }
  int32_t addr = static_cast<int16_t>(kxf_arg(L, 0) >> 16);
  for (int32_t k = 0; k < count; k++) {
    int32_t v = kxf_arg(L, k + 1);
    uint32_t bits = Size == 4 ? static_cast<uint32_t>(v) : static_cast<uint32_t>(v >> 16);
    poke_value<Size>(wrap(addr, int64_t{k} * Size), bits);
  }
  spend_cpu(count - 1);
  return 0;
}

}  // namespace

int kx_peek_multiple(lua_State* L) { return peek_multiple<1>(L); }
int kx_peek2_multiple(lua_State* L) { return peek_multiple<2>(L); }
int kx_peek4_multiple(lua_State* L) { return peek_multiple<4>(L); }
int kxf_poke(lua_State* L) { return poke_multiple<1>(L); }
int kxf_poke2(lua_State* L) { return poke_multiple<2>(L); }
int kxf_poke4(lua_State* L) { return poke_multiple<4>(L); }

int kx_memcpy(lua_State* L) {
  int32_t dst = int_arg(L, 1), src = int_arg(L, 2);
  int32_t len = lua_tonumberx(L, 3, nullptr);
  if (dst == src || len < 0x10000) return 0;
  tovo_memcpy(&pstate(), pstate().cart, dst, src, len >> 16);
  spend_cpu(((len >> 16) + 1) / 2);
  return 0;
}

int kx_memset(lua_State* L) {
  int32_t len = lua_tonumberx(L, 3, nullptr);
  if (len < 0x10000) return 0;
  tovo_memset(&pstate(), pstate().cart, int_arg(L, 1), int_arg(L, 2), len >> 16);
  spend_cpu(((len >> 16) + 1) / 4);
  return 0;
}
