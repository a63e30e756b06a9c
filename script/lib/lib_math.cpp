// The math library over 16.16 numbers. Whole-number functions (floor, ceil,
// abs, min, max, fmod, modf) work on the values exactly; the others go
// through libc's double functions and truncate the result toward zero,
// saturating at the ends of the number range (a result that is not a number
// gives 0). pi and huge are the nearest and the largest number.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "script/api/auxlib.h"
#include "script/lualib.h"
#include "script/value/number.h"

namespace {

constexpr double ONE = 65536.0;

double real(lua_Number v) { return v / ONE; }

lua_Number from_real(double d) {
  if (std::isnan(d)) return 0;
  d = std::trunc(d * ONE);
  if (d >= 2147483647.0) return INT32_MAX;
  if (d <= -2147483648.0) return INT32_MIN;
  return static_cast<lua_Number>(d);
}

double arg(lua_State* L, int i) { return real(luaL_checknumber(L, i)); }

int push_real(lua_State* L, double d) {
  lua_pushnumber(L, from_real(d));
  return 1;
}

int math_abs(lua_State* L) {
  lua_Number v = luaL_checknumber(L, 1);
  lua_pushnumber(L, v < 0 ? tovo_wrap_neg(v) : v);
  return 1;
}

int math_sin(lua_State* L) { return push_real(L, std::sin(arg(L, 1))); }
int math_cos(lua_State* L) { return push_real(L, std::cos(arg(L, 1))); }
int math_tan(lua_State* L) { return push_real(L, std::tan(arg(L, 1))); }
int math_asin(lua_State* L) { return push_real(L, std::asin(arg(L, 1))); }
int math_acos(lua_State* L) { return push_real(L, std::acos(arg(L, 1))); }
int math_atan(lua_State* L) { return push_real(L, std::atan(arg(L, 1))); }
int math_atan2(lua_State* L) {
  double y = arg(L, 1);
  return push_real(L, std::atan2(y, arg(L, 2)));
}
int math_sinh(lua_State* L) { return push_real(L, std::sinh(arg(L, 1))); }
int math_cosh(lua_State* L) { return push_real(L, std::cosh(arg(L, 1))); }
int math_tanh(lua_State* L) { return push_real(L, std::tanh(arg(L, 1))); }
int math_sqrt(lua_State* L) { return push_real(L, std::sqrt(arg(L, 1))); }
int math_exp(lua_State* L) { return push_real(L, std::exp(arg(L, 1))); }
int math_pow(lua_State* L) {
  double x = arg(L, 1);
  return push_real(L, std::pow(x, arg(L, 2)));
}
int math_deg(lua_State* L) { return push_real(L, arg(L, 1) * (180.0 / M_PI)); }
int math_rad(lua_State* L) { return push_real(L, arg(L, 1) * (M_PI / 180.0)); }

int math_log(lua_State* L) {
  double x = arg(L, 1);
  if (lua_isnoneornil(L, 2)) return push_real(L, std::log(x));
  double base = arg(L, 2);
  if (base == 10.0) return push_real(L, std::log10(x));
  return push_real(L, std::log(x) / std::log(base));
}

int math_floor(lua_State* L) {
  lua_Number v = luaL_checknumber(L, 1);
  lua_pushnumber(L, static_cast<lua_Number>(static_cast<uint32_t>(v) & 0xffff0000u));
  return 1;
}

int math_ceil(lua_State* L) {
  lua_Number v = luaL_checknumber(L, 1);
  lua_Number whole = static_cast<lua_Number>(static_cast<uint32_t>(v) & 0xffff0000u);
  if (whole != v) whole = whole == INT32_MAX - 0xffff ? INT32_MAX : tovo_wrap_add(whole, 0x10000);
  lua_pushnumber(L, whole);
  return 1;
}

int math_fmod(lua_State* L) {
  lua_Number a = luaL_checknumber(L, 1), b = luaL_checknumber(L, 2);
  if (b == 0) return push_real(L, NAN);  // no remainder: 0
  // The remainder has the sign of a, as C's fmod; computed without overflow.
  int64_t r = static_cast<int64_t>(a) % static_cast<int64_t>(b);
  lua_pushnumber(L, static_cast<lua_Number>(r));
  return 1;
}

// The whole part toward zero and the fraction, both with the sign of x.
int math_modf(lua_State* L) {
  lua_Number v = luaL_checknumber(L, 1);
  int64_t whole =
      v >= 0 ? (static_cast<int64_t>(v) & ~int64_t{0xffff}) : -((-static_cast<int64_t>(v)) & ~int64_t{0xffff});
  lua_pushnumber(L, static_cast<lua_Number>(whole));
  lua_pushnumber(L, static_cast<lua_Number>(v - whole));
  return 2;
}

int math_frexp(lua_State* L) {
  int e = 0;
  double m = std::frexp(arg(L, 1), &e);
  push_real(L, m);
  lua_pushinteger(L, e);
  return 2;
}

int math_ldexp(lua_State* L) {
  double x = arg(L, 1);
  return push_real(L, std::ldexp(x, luaL_checkinteger(L, 2)));
}

int pick(lua_State* L, bool want_less) {
  int n = lua_gettop(L);
  lua_Number best = luaL_checknumber(L, 1);
  for (int i = 2; i <= n; i++) {
    lua_Number v = luaL_checknumber(L, i);
    if (want_less ? v < best : v > best) best = v;
  }
  lua_pushnumber(L, best);
  return 1;
}

int math_min(lua_State* L) { return pick(L, true); }
int math_max(lua_State* L) { return pick(L, false); }

// random(): a number in [0, 1); random(m): a whole number in [1, m];
// random(m, n): a whole number in [m, n]. libc's generator.
int math_random(lua_State* L) {
  double r = static_cast<double>(std::rand() % RAND_MAX) / static_cast<double>(RAND_MAX);
  int low = 1, up = 0;
  switch (lua_gettop(L)) {
    case 0: return push_real(L, r);
    case 1: up = luaL_checkinteger(L, 1); break;
    case 2:
      low = luaL_checkinteger(L, 1);
      up = luaL_checkinteger(L, 2);
      break;
    default: luaL_error(L, "wrong number of arguments");
  }
  luaL_argcheck(L, low <= up, lua_gettop(L), "interval is empty");
  lua_pushinteger(L, low + static_cast<int>(std::floor(r * (static_cast<double>(up) - low + 1))));
  return 1;
}

int math_randomseed(lua_State* L) {
  std::srand(static_cast<unsigned>(luaL_checkinteger(L, 1)));
  std::rand();  // the first value after a seed varies little
  return 0;
}

const luaL_Reg mathlib[] = {
    {"abs", math_abs},       {"acos", math_acos},
    {"asin", math_asin},     {"atan2", math_atan2},
    {"atan", math_atan},     {"ceil", math_ceil},
    {"cosh", math_cosh},     {"cos", math_cos},
    {"deg", math_deg},       {"exp", math_exp},
    {"floor", math_floor},   {"fmod", math_fmod},
    {"frexp", math_frexp},   {"ldexp", math_ldexp},
    {"log", math_log},       {"max", math_max},
    {"min", math_min},       {"modf", math_modf},
    {"pow", math_pow},       {"rad", math_rad},
    {"random", math_random}, {"randomseed", math_randomseed},
    {"sinh", math_sinh},     {"sin", math_sin},
    {"sqrt", math_sqrt},     {"tanh", math_tanh},
    {"tan", math_tan},       {nullptr, nullptr},
};

}  // namespace

int luaopen_math(lua_State* L) {
  lua_newtable(L);
  luaL_setfuncs(L, mathlib, 0);
  lua_pushnumber(L, from_real(M_PI));
  lua_setfield(L, -2, "pi");
  lua_pushnumber(L, INT32_MAX);
  lua_setfield(L, -2, "huge");
  return 1;
}
