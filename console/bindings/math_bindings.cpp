// Fast math bindings and rnd. The bitwise and rounding ones lower the slice
// counter by their argument count; of the others only sqrt charges.
#include "console/bindings/api_bindings.h"
#include "console/bindings/api_fast.h"
#include "console/machine/fixed_math.h"
#include "console/machine/machine_prng.h"
#include "console/run/spend_cpu.h"
#include "engine/data/math.h"
#include "script/api/api.h"
#include "script/api/api_access.h"
#include "script/vm/cpu.h"

namespace {

constexpr int32_t ONE = 0x10000;

int32_t arg(lua_State* L, int i) { return kxf_arg(L, i); }
uint32_t uarg(lua_State* L, int i) { return static_cast<uint32_t>(kxf_arg(L, i)); }
void charge_args(lua_State* L) { lua_add_cpu_cycles(L, -L->nargs); }

}  // namespace

int kxf_abs(lua_State* L) {
  int32_t v = arg(L, 0);
  if (v == INT32_MIN) return INT32_MAX;
  return v < 0 ? -v : v;
}
int kxf_sgn(lua_State* L) { return arg(L, 0) < 0 ? -ONE : ONE; }

int kxf_flr(lua_State* L) {
  charge_args(L);
  return static_cast<int32_t>(uarg(L, 0) & 0xffff0000u);
}
int kxf_ceil(lua_State* L) {
  charge_args(L);
  return static_cast<int32_t>((uarg(L, 0) + 0xffffu) & 0xffff0000u);
}
int kxf_bnot(lua_State* L) {
  charge_args(L);
  return static_cast<int32_t>(~uarg(L, 0));
}
int kxf_band(lua_State* L) {
  charge_args(L);
  return arg(L, 0) & arg(L, 1);
}
int kxf_bor(lua_State* L) {
  charge_args(L);
  return arg(L, 0) | arg(L, 1);
}
int kxf_bxor(lua_State* L) {
  charge_args(L);
  return arg(L, 0) ^ arg(L, 1);
}
int kxf_shl(lua_State* L) {
  charge_args(L);
  return tovo_shl(arg(L, 0), arg(L, 1));
}
int kxf_shr(lua_State* L) {
  charge_args(L);
  return tovo_ashr(arg(L, 0), arg(L, 1));
}
int kxf_lshr(lua_State* L) {
  charge_args(L);
  return tovo_lshr(arg(L, 0), arg(L, 1));
}
int kxf_rotl(lua_State* L) {
  charge_args(L);
  return tovo_rotl(arg(L, 0), arg(L, 1));
}
int kxf_rotr(lua_State* L) {
  charge_args(L);
  return tovo_rotr(arg(L, 0), arg(L, 1));
}

int kxf_sin(lua_State* L) { return fsin(arg(L, 0)); }
int kxf_cos(lua_State* L) { return fcos(arg(L, 0)); }
int kxf_sqrt(lua_State* L) {
  spend_cpu(6);
  return kx_fsqrt(arg(L, 0), spend_cpu);
}
int kxf_atan2(lua_State* L) { return fatan2(arg(L, 0), arg(L, 1)); }

// Ties give the second argument.
int kxf_min(lua_State* L) {
  int32_t a = arg(L, 0), b = arg(L, 1);
  return a < b ? a : b;
}
int kxf_max(lua_State* L) {
  int32_t a = arg(L, 0), b = arg(L, 1);
  return a > b ? a : b;
}
int kxf_mid(lua_State* L) {
  int32_t a = arg(L, 0), b = arg(L, 1), c = arg(L, 2);
  if (a > b) {
    int32_t t = a;
    a = b;
    b = t;
  }
  return c < a ? a : c > b ? b : c;
}

int kxf_srand(lua_State* L) {
  tovo_srand(uarg(L, 0) & 0x7fffffffu);
  return 0;
}

int kx_rnd(lua_State* L) {
  spend_cpu(4);
  if (lua_type(L, 1) == LUA_TTABLE) {
    uint32_t n = static_cast<uint32_t>(lua_rawlen(L, 1));
    uint32_t k = (tovo_random(n * 256u) >> 8) + 1;
    lua_pushnumber(L, static_cast<int32_t>(k << 16));
    lua_gettable(L, 1);
    return 1;
  }
  uint32_t range = lua_gettop(L) == 0              ? ONE
                   : lua_type(L, 1) == LUA_TNUMBER ? static_cast<uint32_t>(lua_tonumberx(L, 1, nullptr))
                                                   : 0;
  lua_pushnumber(L, static_cast<int32_t>(tovo_random(range)));
  return 1;
}
