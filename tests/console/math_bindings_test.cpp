// The fast math bindings, rnd and srand.
#include <string>

#include "console/machine/machine_prng.h"
#include "tests/console/bindings_fixture.h"

namespace {

class MathBindingsTest : public BindingsTest {};

TEST_F(MathBindingsTest, Results) {
  struct {
    const char* src;
    int32_t raw;
    // clang-format off
  } cases[] = {
      {"abs(0x8000.0000)", 0x7fffffff}, {"abs(-3)", 3 << 16},          {"abs()", 0},
      {"sgn(0)", 0x10000},              {"sgn()", 0x10000},            {"sgn(-0.1)", -0x10000},
      {"flr(-1.5)", -2 << 16},          {"ceil(1.25)", 2 << 16},       {"ceil(0x7fff.8)", INT32_MIN},
      {"min(3)", 0},                    {"max(-3)", 0},                {"mid(3, 1, 2)", 2 << 16},
      {"mid(1)", 0},                    {"band(5)", 0},                {"bor(5)", 5 << 16},
      {"bxor(5, 1)", 4 << 16},          {"bnot()", -1},                {"shl(1, 4)", 16 << 16},
      {"shr(-16, 2)", -4 << 16},        {"lshr(-1, 16)", 0xffff},      {"rotl(1, 16)", 1},
      {"rotr(1, 1)", 0x8000},
      {"sqrt(16)", 4 << 16},            {"sin(0.25)", -0x10000},       {"cos(0)", 0x10000},
      {"abs('12')", 12 << 16},          {"abs({})", 0},                {"srand(5)", 0},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(raw(c.src), c.raw) << c.src;
  EXPECT_EQ(results("abs(-3)"), "3");
  EXPECT_EQ(run("a, b = abs(-3) return a, b"), LUA_OK);
  EXPECT_EQ(results("a, b"), "3,nil");
}

TEST_F(MathBindingsTest, Charges) {
  EXPECT_EQ(charge("band", "1, 2"), -2);
  EXPECT_EQ(charge("flr", "1.5"), -1);
  EXPECT_EQ(charge("bnot", ""), 0);
  EXPECT_EQ(charge("sqrt", "2"), 2 * (6 + 8));  // its own 6 and the root's 8
  EXPECT_EQ(charge("abs", "-1"), 0);
  EXPECT_EQ(charge("rnd", "10"), 8);
}

TEST_F(MathBindingsTest, RndOfNumbersAndTables) {
  run("srand(42)");
  for (int i = 0; i < 50; i++) {
    int32_t v = raw("rnd()");
    EXPECT_GE(v, 0);
    EXPECT_LT(v, 0x10000);
  }
  EXPECT_EQ(raw("rnd(0)"), 0);
  EXPECT_EQ(raw("rnd('x')"), 0);
  EXPECT_EQ(results("rnd({})"), "nil");
  bool seen[4] = {};
  for (int i = 0; i < 100; i++) {
    std::string r = results("rnd({'a','b','c'})");
    ASSERT_TRUE(r == "\"a\"" || r == "\"b\"" || r == "\"c\"") << r;
    seen[r[1] - 'a'] = true;
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
  EXPECT_EQ(run("t=setmetatable({1},{__index=function(t,k) return 'm' end}) srand(1)"), LUA_OK);
  EXPECT_EQ(results("rnd(t)"), "1");
}

TEST_F(MathBindingsTest, SrandClearsTheTopBit) {
  run("srand(-0x0.0001)");  // raw 0xffffffff
  int32_t a = raw("rnd(100)");
  run("srand(0x7fff.ffff)");
  EXPECT_EQ(raw("rnd(100)"), a);
}

}  // namespace
