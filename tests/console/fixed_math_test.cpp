// The console's 16.16 arithmetic: edge cases and a differential test of every
// routine against straightforward 64/128-bit reference formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "console/machine/fixed_math.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/spend_cpu.h"

namespace {

constexpr int32_t ONE = 0x10000;
constexpr int32_t MIN = INT32_MIN;

int32_t fix(double v) { return static_cast<int32_t>(std::llround(v * 65536.0)); }

// Reference formulas, written independently of the routines under test.
int32_t low32(__int128 v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned __int128>(v))); }

int32_t ref_mul(int32_t a, int32_t b) {
  __int128 p = static_cast<__int128>(a) * b;
  __int128 q = p / 65536;
  if (p % 65536 != 0 && p < 0) q -= 1;  // floor, like an arithmetic shift
  return low32(q);
}

int32_t ref_div(int32_t a, int32_t b) {
  if (b == 0) return a < 0 ? MIN + 1 : INT32_MAX;
  // A positive whole divisor divides the raw value and is never clamped.
  if (b > 0 && b % 65536 == 0) return static_cast<int32_t>(static_cast<__int128>(a) / (b / 65536));
  __int128 q = static_cast<__int128>(a) * 65536 / b;  // truncates toward zero
  if (q > INT32_MAX) return INT32_MAX;
  if (q < MIN + 1) return MIN + 1;
  return static_cast<int32_t>(q);
}

int32_t ref_mod(int32_t a, int32_t b) {
  if (b == 0) return a;
  int64_t m = b < 0 ? -static_cast<int64_t>(b) : b;
  int64_t x = a;
  if (a == MIN) x = low32(m + 0x80000000LL);
  int64_t r = x % m;
  return static_cast<int32_t>(r < 0 ? r + m : r);
}

int32_t ref_shift(int32_t a, int32_t b, int kind) {
  int64_t n = b >= 0 ? b / 65536 : -((-static_cast<int64_t>(b) + 65535) / 65536);  // floor
  uint64_t u = static_cast<uint32_t>(a);
  auto left = [&](int64_t k) { return k > 31 ? 0 : low32(static_cast<__int128>(u) << k); };
  auto right = [&](int64_t k) { return k > 31 ? 0 : low32(static_cast<__int128>(u >> k)); };
  switch (kind) {
    case 0: return n >= 0 ? left(n) : right(-n);
    case 1: return n >= 0 ? right(n) : left(-n);
    default: {
      if (n < 0) return left(-n);
      int64_t k = n > 31 ? 31 : n;
      int64_t s = a;
      for (int64_t i = 0; i < k; i++) s = s < 0 ? (s - 1) / 2 : s / 2;
      return static_cast<int32_t>(s);
    }
  }
}

int32_t ref_rot(int32_t a, int32_t b, bool left) {
  int k = static_cast<int>(static_cast<uint32_t>(b) >> 16) & 31;
  uint64_t u = static_cast<uint32_t>(a);
  uint64_t twice = u | (u << 32);
  int32_t rl = low32(static_cast<__int128>(twice >> (32 - k)));
  int32_t rr = low32(static_cast<__int128>(twice >> k));
  return left ? rl : rr;
}

int32_t ref_sqrt(int32_t a) {
  if (a < 0) return 0;
  uint64_t v = static_cast<uint64_t>(a) * 65536;
  uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<long double>(v)));
  while (r * r > v) r--;
  while ((r + 1) * (r + 1) <= v) r++;
  return static_cast<int32_t>(r);
}

// Operands: mostly raw random words, with a share of whole numbers, small
// values and the extremes so that every path of every routine is taken.
int32_t draw(std::mt19937_64& rng) {
  uint64_t r = rng();
  switch (r & 7) {
    case 0: return static_cast<int32_t>(static_cast<uint32_t>(r >> 8) & 0xffff0000u);
    case 1: return static_cast<int32_t>(static_cast<int64_t>((r >> 8) % 200001) - 100000);
    case 2: {
      static const int32_t edges[] = {0,   1,       -1,         ONE,      -ONE,     INT32_MAX,
                                      MIN, MIN + 1, 0x7fff0000, 31 * ONE, 32 * ONE, -32 * ONE};
      return edges[(r >> 8) % 12];
    }
    default: return static_cast<int32_t>(static_cast<uint32_t>(r >> 16));
  }
}

TEST(FixedMath, DifferentialAgainstReference) {
  std::mt19937_64 rng(20261210);
  for (int i = 0; i < 1000000; i++) {
    int32_t a = draw(rng), b = draw(rng);
    ASSERT_EQ(kx_fmul(a, b), ref_mul(a, b)) << a << " * " << b;
    ASSERT_EQ(kx_fdiv(a, b), ref_div(a, b)) << a << " / " << b;
    ASSERT_EQ(kx_fmod(a, b), ref_mod(a, b)) << a << " % " << b;
    ASSERT_EQ(tovo_shl(a, b), ref_shift(a, b, 0)) << a << " << " << b;
    ASSERT_EQ(tovo_lshr(a, b), ref_shift(a, b, 1)) << a << " >>> " << b;
    ASSERT_EQ(tovo_ashr(a, b), ref_shift(a, b, 2)) << a << " >> " << b;
    ASSERT_EQ(tovo_rotl(a, b), ref_rot(a, b, true)) << a << " <<> " << b;
    ASSERT_EQ(tovo_rotr(a, b), ref_rot(a, b, false)) << a << " >>< " << b;
    if ((i & 7) == 0) {
      ASSERT_EQ(kx_fsqrt(a, spend_cpu), ref_sqrt(a)) << "sqrt " << a;
    }
  }
}

struct Case {
  int32_t a, b, want;
};

TEST(FixedMath, DivideEdges) {
  const Case cases[] = {
      {ONE, 0, INT32_MAX},     {-ONE, 0, MIN + 1},       {0, 0, INT32_MAX},         {7 * ONE, 2 * ONE, fix(3.5)},
      {ONE, 3 * ONE, 0x5555},  {-ONE, 3 * ONE, -0x5555}, {ONE, -2 * ONE, -ONE / 2}, {INT32_MAX, ONE / 2, INT32_MAX},
      {MIN, ONE / 2, MIN + 1}, {MIN, -ONE, INT32_MAX},   {MIN, ONE, MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(kx_fdiv(c.a, c.b), c.want) << c.a << " / " << c.b;
}

TEST(FixedMath, ModuloEdges) {
  const Case cases[] = {
      {-ONE, 3 * ONE, 2 * ONE},
      {5 * ONE, -3 * ONE, 2 * ONE},
      {5 * ONE, 0, 5 * ONE},
      {MIN, 0, MIN},
      {MIN, 3 * ONE, ref_mod(MIN, 3 * ONE)},
      {MIN, MIN, 0},
      {fix(-0.5), ONE, fix(0.5)},
      {7, MIN, 7},
  };
  for (const Case& c : cases) {
    int32_t r = kx_fmod(c.a, c.b);
    EXPECT_EQ(r, c.want) << c.a << " % " << c.b;
    if (c.b != 0) {
      EXPECT_GE(r, 0);
    }
  }
}

TEST(FixedMath, ShiftsAndRotates) {
  const Case shl[] = {{ONE, 4 * ONE, 16 * ONE}, {ONE, 32 * ONE, 0},       {0x12345678, -4 * ONE, 0x01234567},
                      {ONE, -32 * ONE, 0},      {ONE, fix(1.5), 2 * ONE}, {ONE, fix(-0.5), ONE / 2}};
  for (const Case& c : shl) EXPECT_EQ(tovo_shl(c.a, c.b), c.want) << c.a << " << " << c.b;
  EXPECT_EQ(tovo_lshr(-ONE, 28 * ONE), 0xf);
  EXPECT_EQ(tovo_lshr(-1, 32 * ONE), 0);
  EXPECT_EQ(tovo_ashr(ONE, 40 * ONE), 0);
  EXPECT_EQ(tovo_ashr(-ONE, 40 * ONE), -1);
  EXPECT_EQ(tovo_ashr(-ONE, -1 * ONE), -2 * ONE);
  EXPECT_EQ(tovo_ashr(ONE, -32 * ONE), 0);
  for (int32_t x : {0x12345678, -1, MIN, 1}) EXPECT_EQ(tovo_shl(x, -4 * ONE), tovo_lshr(x, 4 * ONE));
  EXPECT_EQ(tovo_rotl(0x12345678, 0), 0x12345678);
  EXPECT_EQ(tovo_rotr(0x12345678, 32 * ONE), 0x12345678);
  EXPECT_EQ(tovo_rotl(static_cast<int32_t>(0x80000001), ONE), 3);
  EXPECT_EQ(tovo_rotr(3, ONE), static_cast<int32_t>(0x80000001));
  EXPECT_EQ(tovo_rotl(0x00010000, -ONE), static_cast<int32_t>(0x00008000));
}

TEST(FixedMath, SquareRootIsExactFloorAndCharges) {
  EXPECT_EQ(kx_fsqrt(2 * ONE, spend_cpu), 0x16a09);
  EXPECT_EQ(kx_fsqrt(4 * ONE, spend_cpu), 2 * ONE);
  EXPECT_EQ(kx_fsqrt(INT32_MAX, spend_cpu), ref_sqrt(INT32_MAX));
  int before = run_state().spend_counter;
  EXPECT_EQ(kx_fsqrt(-ONE, spend_cpu), 0);
  EXPECT_EQ(run_state().spend_counter, before);
  EXPECT_EQ(kx_fsqrt(0, spend_cpu), 0);
  EXPECT_EQ(run_state().spend_counter, before + 16);
}

TEST(FixedMath, Power) {
  EXPECT_EQ(kx_fpow(2 * ONE, ONE / 2, spend_cpu), kx_fsqrt(2 * ONE, spend_cpu));
  EXPECT_EQ(kx_fpow(2 * ONE, -ONE, spend_cpu), ONE / 2);
  EXPECT_EQ(kx_fpow(3 * ONE, 2 * ONE, spend_cpu), 9 * ONE);
  EXPECT_EQ(kx_fpow(-2 * ONE, 3 * ONE, spend_cpu), -8 * ONE);
  EXPECT_EQ(kx_fpow(2 * ONE, 15 * ONE, spend_cpu), static_cast<int32_t>(0x80000000));  // wraps
  for (int32_t x : {0, ONE, -ONE, 12345, MIN, INT32_MAX}) EXPECT_EQ(kx_fpow(x, 0, spend_cpu), ONE);
  EXPECT_EQ(kx_fpow(0, -ONE, spend_cpu), INT32_MAX);
  EXPECT_EQ(kx_fpow(4 * ONE, fix(-0.5), spend_cpu), ONE / 2);
  EXPECT_EQ(kx_fpow(-4 * ONE, ONE / 2, spend_cpu), 0);  // the root of a negative base is 0
  // 16 * 16^0.25 * 16^0.125 with each root floored
  int32_t r = kx_fpow(16 * ONE, fix(1.375), spend_cpu);
  EXPECT_NEAR(r / 65536.0, std::pow(16.0, 1.375), 0.01);
  // The most negative exponent still ends (magnitude 32768).
  EXPECT_EQ(kx_fpow(ONE, MIN, spend_cpu), ONE);
  EXPECT_EQ(kx_fpow(2 * ONE, MIN, spend_cpu), 0);
  // Charges: one root for 0.5 plus the final charge, 8 each, doubled.
  int before = run_state().spend_counter;
  kx_fpow(2 * ONE, ONE / 2, spend_cpu);
  EXPECT_EQ(run_state().spend_counter - before, 32);
}

TEST(FixedMath, PowerAgreesWithFloatingPointOnModerateValues) {
  std::mt19937 rng(7);
  for (int i = 0; i < 2000; i++) {
    double base = 0.5 + (rng() % 1000) / 200.0;                // 0.5 .. 5.5
    double e = (static_cast<int>(rng() % 600) - 300) / 100.0;  // -3 .. 3
    double want = std::pow(fix(base) / 65536.0, fix(e) / 65536.0);
    if (want > 30000 || want < 0.01) continue;
    double got = kx_fpow(fix(base), fix(e), spend_cpu) / 65536.0;
    EXPECT_NEAR(got, want, want * 0.01 + 0.002) << base << " ^ " << e;
  }
}

TEST(FixedMath, Atan2ForwardsToTheEngineTable) {
  EXPECT_EQ(fatan2(ONE, 0), 0);
  EXPECT_EQ(fatan2(0, -ONE), 0x4000);
  EXPECT_EQ(fatan2(-ONE, 0), 0x8000);
  EXPECT_EQ(fatan2(0, ONE), 0xc000);
  int32_t a = fatan2(ONE, -ONE);
  EXPECT_GE(a, 0);
  EXPECT_LT(a, ONE);
}

}  // namespace
