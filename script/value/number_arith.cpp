// Arithmetic on 16.16 numbers by operator code, and small integer helpers.
#include "script/compiler/ctype.h"
#include "script/console_services.h"
#include "script/value/number.h"
#include "script/vm/state.h"

lua_Number luaO_arith(lua_State* L, int op, lua_Number a, lua_Number b) {
  const lua_Host& host = G(L)->host;
  uint32_t ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
  switch (op) {
    case LUA_OPADD: return tovo_wrap_add(a, b);
    case LUA_OPSUB: return tovo_wrap_sub(a, b);
    case LUA_OPMUL: return kx_fmul(a, b);
    case LUA_OPDIV: return kx_fdiv(a, b);
    case LUA_OPMOD: return kx_fmod(a, b);
    case LUA_OPPOW: return luaO_pow(L, a, b);
    case LUA_OPBAND: return static_cast<lua_Number>(ua & ub);
    case LUA_OPBOR: return static_cast<lua_Number>(ua | ub);
    case LUA_OPBXOR: return static_cast<lua_Number>(ua ^ ub);
    case LUA_OPSHL: return tovo_shl(a, b);
    case LUA_OPSHR: return tovo_ashr(a, b);
    case LUA_OPLSHR: return tovo_lshr(a, b);
    case LUA_OPROTL: return tovo_rotl(a, b);
    case LUA_OPROTR: return tovo_rotr(a, b);
    case LUA_OPBNOT: return static_cast<lua_Number>(~ua);
    case LUA_OPIDIV: return static_cast<lua_Number>(static_cast<uint32_t>(kx_fdiv(a, b)) & 0xffff0000u);
    case LUA_OPPEEK: return host.peek_1(a);
    case LUA_OPPEEK2: return host.peek_2(a);
    case LUA_OPPEEK4: return host.peek_4(a);
    case LUA_OPUNM: return tovo_wrap_neg(a);
    default: return 0;
  }
}

// Floating byte: eeeeexxx stands for (1xxx) * 2^(eeeee - 1), or xxx when
// eeeee is 0.
int luaO_int2fb(unsigned int x) {
  int e = 0;
  if (x < 8) return static_cast<int>(x);
  while (x >= 0x10) {
    x = (x + 1) >> 1;
    e++;
  }
  return ((e + 1) << 3) | (static_cast<int>(x) - 8);
}

int luaO_fb2int(int x) {
  int e = (x >> 3) & 0x1f;
  if (e == 0) return x;
  return ((x & 7) + 8) << (e - 1);
}

int luaO_hexavalue(int c) {
  if (lisdigit(c)) return c - '0';
  return (c | 0x20) - 'a' + 10;
}
