// Expressions compiled and run: operator priorities and associativity,
// folding agreeing with the run-time operations, and the peek operators.
#include <string>

#include "tests/script/console_double.h"
#include "tests/script/vm_fixture.h"

namespace {

class ExprTest : public VmTest {};

lua_Number raw(uint32_t v) { return static_cast<lua_Number>(v); }

TEST_F(ExprTest, PrioritiesAndAssociativity) {
  tovo_test::console_memory[0x5f00] = 7;
  tovo_test::console_memory[0x5f01] = 1;
  struct Case {
    const char* expr;
    lua_Number value;
  } cases[] = {
      {"-2^2", I(-4)},
      {"2^3^2", I(512)},
      {"(2^3)^2", I(64)},
      {"-a*b", I(-6)},  // a = 2, b = 3
      {"a | b & c", I(2 | (3 & 5))},
      {"a ^^ b | c", I((2 ^ 3) | 5)},
      {"a << b << c", I(2 << 3 << 5)},
      {"1 << 2 + 1", I(8)},  // + binds tighter than <<
      {"a & b << 1", I(2 & (3 << 1))},
      {"x \\ y * z", I((17 / 5) * 2)},  // x = 17, y = 5, z = 2
      {"x \\ y", I(3)},
      {"-x \\ y", I(-4)},
      {"x % y", I(2)},
      {"@0x5f00 + 1", I(8)},
      {"@a0 * 2", I(14)},  // a0 = 0x5f00
      {"%a0", I(0x107)},
      {"%a0 % 5", I(0x107 % 5)},
      {"$a0", raw(0x107)},
      {"~0", raw(0xffffffff)},
      {"~a + 1", raw(0xfffeffff)},  // ~ applies first (to the fraction bits too): ~2 + 1
      {"~-1", raw(0x0000ffff)},
      {"0x10 >>> 2", I(4)},
      {"-1 >> 40", raw(0xffffffff)},
      {"-1 >>> 28", raw(0x0000000f)},
      {"1 <<> 31", raw(0x8000)},
      {"1 >>< 1", raw(0x8000)},
      {"0x.0001 >>< 1", raw(0x80000000)},
      {"#'abc' + 1", I(4)},
      {"not nil == true", I(1)},  // (not nil) == true
      {"1 < 2 and 3 or 4", I(3)},
      {"nil or false and 1 or 9", I(9)},
  };
  for (const auto& c : cases) {
    std::string expr = c.expr;
    std::string src = "a, b, c, x, y, z, a0 = 2, 3, 5, 17, 5, 2, 0x5f00 local v = " + expr +
                      " if v == true then return 1 elseif v == false then return 0 end return v";
    EXPECT_EQ(number_of(src), c.value) << c.expr;
  }
  ASSERT_EQ(run("a, b, c = 2, 3, 2 return a & b == c", 1), LUA_OK);  // (a & b) == c
  EXPECT_EQ(lua_toboolean(L, -1), 1);
}

// Every pair of binary operators, "a op1 b op2 c", groups as a reference
// parser with its own copy of the priority table groups it: the expression
// gives what its explicitly bracketed form gives.
TEST_F(ExprTest, EveryOperatorPairGroupsByThePriorityTable) {
  struct Op {
    const char* token;
    int left, right;
  } ops[] = {
      {"+", 16, 16}, {"-", 16, 16}, {"*", 17, 17},  {"/", 17, 17},  {"%", 17, 17}, {"^", 20, 19},
      {"&", 8, 8},   {"|", 6, 6},   {"^^", 7, 7},   {"<<", 9, 9},   {">>", 9, 9},  {">>>", 9, 9},
      {"<<>", 9, 9}, {">><", 9, 9}, {"\\", 17, 17}, {"..", 15, 14}, {"==", 3, 3},  {"<", 3, 3},
      {"<=", 3, 3},  {"~=", 3, 3},  {">", 3, 3},    {">=", 3, 3},   {"and", 2, 2}, {"or", 1, 1},
  };
  // The value as text, "error" when it raises one.
  auto value_of = [&](const std::string& expr) -> std::string {
    if (run("local a, b, c = 6, 3, 5 return " + expr, 1) != LUA_OK) return "error";
    switch (lua_type(L, -1)) {
      case LUA_TNUMBER: return "number " + std::to_string(static_cast<int64_t>(lua_tonumber(L, -1)));
      case LUA_TBOOLEAN: return lua_toboolean(L, -1) ? "true" : "false";
      case LUA_TSTRING: return "string " + text_of(-1);
      default: return "other";
    }
  };
  int telling = 0;  // pairs whose two groupings give different values
  for (const Op& o1 : ops) {
    for (const Op& o2 : ops) {
      std::string t1 = o1.token, t2 = o2.token;
      std::string plain = "a " + t1 + " b " + t2 + " c";
      // The right operand of o1 is parsed with o1's right priority as its
      // limit: it takes o2 only when o2's left priority exceeds that.
      bool right_first = o2.left > o1.right;
      std::string left_grouped = "(a " + t1 + " b) " + t2 + " c";
      std::string right_grouped = "a " + t1 + " (b " + t2 + " c)";
      std::string want = value_of(right_first ? right_grouped : left_grouped);
      EXPECT_EQ(value_of(plain), want) << plain;
      telling += value_of(left_grouped) != value_of(right_grouped);
    }
  }
  EXPECT_GT(telling, 300);
}

TEST_F(ExprTest, ConcatenationPriorities) {
  ASSERT_EQ(run("return 1 + 2 .. 3", 1), LUA_OK);
  EXPECT_EQ(text_of(-1), "33");
  ASSERT_EQ(run("local a, b = 'x', 1 return a .. b << 2", 1), LUA_ERRRUN);  // ('x' .. 1) << 2: not a number
  ASSERT_EQ(run("local a, b = '1', 2 return a .. b << 2", 1), LUA_OK);
  EXPECT_EQ(lua_tonumber(L, -1), I(48));
  ASSERT_EQ(run("local a, b, c = 'p', 'q', 'r' return a .. b .. c", 1), LUA_OK);
  EXPECT_EQ(text_of(-1), "pqr");
}

// Every binary operator folded at compile time gives what the running
// operation gives on the same operands.
TEST_F(ExprTest, FoldingAgreesWithTheRuntime) {
  const char* ops[] = {"+", "-", "*", "/", "%", "^", "&", "|", "^^", "<<", ">>", ">>>", "<<>", ">><", "\\"};
  const char* operands[][2] = {{"7", "2"},   {"-7.5", "2"}, {"0x7fff", "3"},  {"1", "0"},   {"0", "0"},
                               {"-1", "33"}, {"0.5", "-3"}, {"-32768", "-1"}, {"3", "0.25"}};
  for (const char* op : ops) {
    for (const auto& v : operands) {
      std::string folded = "return (" + std::string(v[0]) + ") " + op + " (" + v[1] + ")";
      std::string computed = "local a, b = " + std::string(v[0]) + ", " + v[1] + " return a " + op + " b";
      // clang-format off
      EXPECT_EQ(number_of(folded), number_of(computed)) << v[0] << " " << op << " " << v[1];
      // clang-format on
    }
  }
}

// Inexact products keep the floor of the exact value (toward minus
// infinity, ties included); inexact quotients are cut toward zero; integer
// division clears the fraction of that quotient. Folded and computed alike.
TEST_F(ExprTest, InexactProductsAndQuotients) {
  const struct {
    const char* a;
    const char* op;
    const char* b;
    uint32_t want;
  } cases[] = {
      {"0.1", "*", "0.1", 0x0000028f},  {"-0.1", "*", "0.1", 0xfffffd70}, {"0.3", "*", "0.3", 0x00001709},
      {"-0.3", "*", "0.3", 0xffffe8f6}, {"-7.5", "*", "0.1", 0xffff4004}, {"1/3", "*", "3", 0x0000ffff},
      {"1", "/", "3", 0x00005555},      {"-1", "/", "3", 0xffffaaab},     {"1", "/", "-3", 0xffffaaab},
      {"2", "/", "3", 0x0000aaaa},      {"-7.5", "/", "2", 0xfffc4000},   {"-7.5", "/", "0.7", 0xfff54922},
      {"-2", "/", "0.3", 0xfff95544},   {"-7.5", "\\", "2", 0xfffc0000},  {"-7.5", "\\", "0.7", 0xfff50000},
  };
  for (const auto& c : cases) {
    std::string folded = "return (" + std::string(c.a) + ") " + c.op + " (" + c.b + ")";
    std::string computed = "local a, b = " + std::string(c.a) + ", " + c.b + " return a " + c.op + " b";
    EXPECT_EQ(number_of(folded), raw(c.want)) << folded;
    EXPECT_EQ(number_of(computed), raw(c.want)) << computed;
  }
}

TEST_F(ExprTest, DivisionByConstantZeroIsNotFolded) {
  // The instruction gives what kx_fdiv and kx_fmod give at run time.
  EXPECT_EQ(number_of("return 1/0"), raw(0x7fffffff));
  EXPECT_EQ(number_of("return -1/0"), raw(0x80000001));
  EXPECT_EQ(number_of("return 5%0"), I(5));
  EXPECT_EQ(number_of("return 1\\0"), I(32767));
}

TEST_F(ExprTest, StatementsRun) {
  EXPECT_EQ(number_of("local s = 0 for i = 1, 10 do if i % 2 == 0 then goto continue end s = s + i ::continue:: end "
                      "return s"),
            I(25));
  EXPECT_EQ(number_of("local t = {} for i = 1, 120 do t[i] = i end return #t"), I(120));
  EXPECT_EQ(number_of("local function f(...) local a, b = ... return a * 10 + b end return f(4, 2)"), I(42));
  EXPECT_EQ(number_of("local a, b = 1, 2 a, b = b, a return a * 10 + b"), I(21));
  EXPECT_EQ(number_of("local t = {1, 2} local i = 1 i, t[i] = i + 1, 20 return t[1] * 100 + i"), I(2002));
  EXPECT_EQ(number_of("local n = 0 repeat local k = n n = n + 1 until k >= 3 return n"), I(4));
  EXPECT_EQ(number_of("local o = {v = 5} function o:get(d) return self.v + d end return o:get(1)"), I(6));
  EXPECT_EQ(number_of("local fs = {} for i = 1, 3 do fs[i] = function() return i end end return fs[2]()"), I(2));
  EXPECT_EQ(number_of("local t = {n = 0} while true do t.n = t.n + 1 if t.n > 4 then break end end return t.n"), I(5));
}

}  // namespace
