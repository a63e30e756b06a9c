// The bit32 library: each operand is the whole part of its argument,
// sign-extended to 32 bits; the operations are the 32-bit ones, and the
// result is the low 16 bits of the 32-bit result as a whole number (so a
// result bit above bit 15 is lost, and all ones reads as -1).
#include <cstdint>

#include "script/api/auxlib.h"
#include "script/lualib.h"

namespace {

constexpr int BITS = 32;
constexpr uint32_t ALL_ONES = 0xffffffffu;

uint32_t operand(lua_State* L, int i) { return static_cast<uint32_t>(luaL_checkinteger(L, i)); }

int result(lua_State* L, uint32_t r) {
  lua_pushnumber(L, static_cast<lua_Number>(r << 16));
  return 1;
}

// A shift left by disp, right when disp is negative; 32 places or more clear all.
uint32_t shifted(uint32_t r, int disp) {
  if (disp < 0) return disp <= -BITS ? 0 : r >> -disp;
  return disp >= BITS ? 0 : r << disp;
}

uint32_t rotated(uint32_t r, int disp) {
  unsigned d = static_cast<unsigned>(disp) & (BITS - 1);
  return d == 0 ? r : (r << d) | (r >> (BITS - d));
}

uint32_t and_all(lua_State* L) {
  uint32_t r = ALL_ONES;
  for (int i = 1, n = lua_gettop(L); i <= n; i++) r &= operand(L, i);
  return r;
}

int b_and(lua_State* L) { return result(L, and_all(L)); }

int b_test(lua_State* L) {
  lua_pushboolean(L, and_all(L) != 0);
  return 1;
}

int b_or(lua_State* L) {
  uint32_t r = 0;
  for (int i = 1, n = lua_gettop(L); i <= n; i++) r |= operand(L, i);
  return result(L, r);
}

int b_xor(lua_State* L) {
  uint32_t r = 0;
  for (int i = 1, n = lua_gettop(L); i <= n; i++) r ^= operand(L, i);
  return result(L, r);
}

int b_not(lua_State* L) { return result(L, ~operand(L, 1)); }

int b_lshift(lua_State* L) { return result(L, shifted(operand(L, 1), luaL_checkinteger(L, 2))); }
int b_rshift(lua_State* L) { return result(L, shifted(operand(L, 1), -luaL_checkinteger(L, 2))); }

int b_arshift(lua_State* L) {
  uint32_t r = operand(L, 1);
  int disp = luaL_checkinteger(L, 2);
  if (disp < 0 || (r & 0x80000000u) == 0) return result(L, shifted(r, -disp));
  if (disp >= BITS) return result(L, ALL_ONES);
  return result(L, (r >> disp) | ~(ALL_ONES >> disp));
}

int b_lrotate(lua_State* L) { return result(L, rotated(operand(L, 1), luaL_checkinteger(L, 2))); }
int b_rrotate(lua_State* L) { return result(L, rotated(operand(L, 1), -luaL_checkinteger(L, 2))); }

// The field position and width of extract and replace, checked.
int field_args(lua_State* L, int farg, int* width) {
  int f = luaL_checkinteger(L, farg);
  int w = luaL_optinteger(L, farg + 1, 1);
  luaL_argcheck(L, f >= 0, farg, "field cannot be negative");
  luaL_argcheck(L, w > 0, farg + 1, "width must be positive");
  if (f + w > BITS) luaL_error(L, "trying to access non-existent bits");
  *width = w;
  return f;
}

uint32_t low_mask(int width) { return ~((ALL_ONES - 1) << (width - 1)); }

int b_extract(lua_State* L) {
  uint32_t r = operand(L, 1);
  int w = 0;
  int f = field_args(L, 2, &w);
  return result(L, (r >> f) & low_mask(w));
}

int b_replace(lua_State* L) {
  uint32_t r = operand(L, 1);
  uint32_t v = operand(L, 2);
  int w = 0;
  int f = field_args(L, 3, &w);
  uint32_t m = low_mask(w);
  return result(L, (r & ~(m << f)) | ((v & m) << f));
}

const luaL_Reg bitlib[] = {
    {"arshift", b_arshift}, {"band", b_and},        {"bnot", b_not},        {"bor", b_or},
    {"bxor", b_xor},        {"btest", b_test},      {"extract", b_extract}, {"lrotate", b_lrotate},
    {"lshift", b_lshift},   {"replace", b_replace}, {"rrotate", b_rrotate}, {"rshift", b_rshift},
    {nullptr, nullptr},
};

}  // namespace

int luaopen_bit32(lua_State* L) {
  lua_newtable(L);
  luaL_setfuncs(L, bitlib, 0);
  return 1;
}
