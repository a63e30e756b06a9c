// The 16.16 number model: text to number, number to text, the arithmetic
// codes and formatted messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>

#include "script/value/number.h"
#include "script/vm/cpu.h"
#include "tests/script/console_double.h"
#include "tests/script/runtime_fixture.h"

namespace {

constexpr lua_Number ONE = 0x10000;

struct Numeral {
  std::string text;
  bool ok;
  uint32_t raw;
};

TEST(Str2d, NumeralTable) {
  // clang-format off
  const Numeral cases[] = {
      // hexadecimal
      {"0x10", true, 0x100000}, {"0x.8", true, 0x8000}, {"-0x1.8", true, 0xfffe8000u},
      {" 0x1 ", true, 0x10000}, {"0X10", true, 0x100000}, {"+0x10", true, 0x100000},
      {"0x.123", true, 0x1230}, {"0x.12345", true, 0x1234}, {"0x12345", true, 0x23450000},
      {"0xffff.ffff", true, 0xffffffffu}, {"0x1\t", true, 0x10000}, {"0x1.", true, 0x10000},
      {"0x1p4", false, 0}, {"0x", false, 0}, {"0x.", false, 0}, {"1x", false, 0},
      {"0x1g", false, 0}, {"0xan", false, 0}, {"x10", false, 0}, {"0x-1", false, 0},
      // binary
      {"0b101", true, 0x50000}, {"0b.01", true, 0x4000}, {"-0b1", true, 0xffff0000u},
      {"0b0.1", true, 0x8000}, {"0b1.11", true, 0x1c000}, {"0B11", true, 0x30000},
      {"0b11111111111111111", true, 0xffff0000u}, {"0b.00000000000000001", true, 0x0},
      {"0b.0000000000000001", true, 0x1}, {"0b2", false, 0}, {"0b", false, 0},
      // decimal
      {"12", true, 0xc0000}, {"1e2", true, 0x640000}, {"  3.5  ", true, 0x38000},
      {"0.1", true, 0x1999}, {"-0.5", true, 0xffff8000u}, {".5", true, 0x8000},
      {"32767.99999", true, 0x7fffffff}, {"32768", true, 0x80000000u}, {"-32769", true, 0x7fff0000},
      {"65536", true, 0}, {"65537.5", true, 0x18000}, {"1.5e14", true, 0x60000000},
      {"-1.5e14", true, 0xa0000000u}, {"1e30", true, 0xffffffffu}, {"-1e30", true, 1},
      {"3.5z", false, 0}, {"", false, 0}, {"   ", false, 0}, {"nan", false, 0}, {"inf", false, 0},
      {"-infinity", false, 0}, {"1.0.0", false, 0}, {"1 2", false, 0}, {"\xce", false, 0},
      // whole numbers: signs, blanks, nine digits and more, wrapping
      {"0", true, 0}, {"-0", true, 0}, {"+7", true, 0x70000}, {" 42 \t", true, 0x2a0000},
      {"123456789", true, 0xcd150000u}, {"1234567890", true, 0x2d20000}, {"-123456789", true, 0x32eb0000},
      {"000000000012", true, 0xc0000}, {"12a", false, 0}, {"1 a", false, 0}, {"- 1", false, 0},
      {"12\t\n", true, 0xc0000}, {"32767", true, 0x7fff0000}, {"-32768", true, 0x80000000u},
      // what leads the numeral: blanks, then a sign, a digit or a point
      {"\v5", true, 0x50000}, {"\f\r\n-2", true, 0xfffe0000u}, {"+.5", true, 0x8000}, {" .", false, 0},
      {"e5", false, 0}, {"x", false, 0}, {"_1", false, 0}, {"$1", false, 0}, {" \t abc1", false, 0},
      {"\xa0" "5", false, 0}, {"\x85" "5", false, 0}, {"Infinity", false, 0}, {"+-1", false, 0}, {"-", false, 0},
  };
  // clang-format on
  for (const Numeral& c : cases) {
    lua_Number n = 0x12345;
    int ok = luaO_str2d(c.text.c_str(), c.text.size(), &n);
    EXPECT_EQ(ok != 0, c.ok) << "'" << c.text << "'";
    if (c.ok && ok) {
      EXPECT_EQ(static_cast<uint32_t>(n), c.raw) << "'" << c.text << "'";
    }
  }
}

TEST(Str2d, EmbeddedZeroAndLengthMustMatch) {
  lua_Number n;
  EXPECT_EQ(luaO_str2d("1\0", 2, &n), 0);
  EXPECT_EQ(luaO_str2d("12", 1, &n), 0);  // a trailing character past the length
  EXPECT_EQ(luaO_str2d("7", 1, &n), 1);
  EXPECT_EQ(n, 7 * ONE);
}

TEST(FixedToString, TextTable) {
  // clang-format off
  const std::pair<uint32_t, const char*> cases[] = {
      {0x10000, "1"},        {0x8000, "0.5"},        {6554, "0.1"},        {0x5555, "0.3333"},
      {0x80000000u, "-32768"}, {0x7fffffff, "32768"}, {1, "0"},             {0xffffffffu, "-0"},
      {0x20000, "2"},        {0xfffd8000u, "-2.5"},  {7, "0.0001"},        {2048, "0.0312"},
      {0xfffa, "1"},         {10 * 0x10000 + 3, "10"}, {0, "0"},          {0x7fff0000, "32767"},
      {0x1999, "0.1"},       {0x4000, "0.25"},       {0x28f5c, "2.56"},
  };
  // clang-format on
  for (const auto& [raw, want] : cases) {
    char buf[TOVO_NUMBER_TEXT];
    int len = tovo_fixed_to_string(buf, static_cast<lua_Number>(raw));
    EXPECT_STREQ(buf, want) << std::hex << raw;
    EXPECT_EQ(len, static_cast<int>(std::strlen(want)));
  }
}

// The text as printf's "%0.5f" then "%0.3f"/"%0.4f" route gives it.
std::string printf_route(lua_Number n) {
  double x = n / 65536.0;
  char text[64];
  std::snprintf(text, sizeof text, "%0.5f", x);
  const char* fmt = (std::strstr(text, ".9999") || std::strstr(text, ".0000")) ? "%0.3f" : "%0.4f";
  std::string t(text, static_cast<size_t>(std::snprintf(text, sizeof text, fmt, x)));
  while (!t.empty() && t.back() == '0') t.pop_back();
  if (!t.empty() && t.back() == '.') t.pop_back();
  return t;
}

TEST(FixedToString, AgreesWithThePrintfRouteIncludingTies) {
  char buf[TOVO_NUMBER_TEXT];
  for (uint32_t f = 0; f < 0x10000; f++) {
    for (uint32_t w : {0u, 0xffffu, 0x7fffu, 0x8000u, 12u}) {
      lua_Number n = static_cast<lua_Number>(w << 16 | f);
      tovo_fixed_to_string(buf, n);
      ASSERT_EQ(std::string(buf), printf_route(n)) << std::hex << n;
    }
  }
  for (int w = -32768; w <= 32767; w++) {  // every whole number, each digit count and its edges
    tovo_fixed_to_string(buf, tovo_int2num(w));
    ASSERT_EQ(std::string(buf), printf_route(tovo_int2num(w))) << w;
  }
  std::mt19937 rng(99);
  for (int i = 0; i < 200000; i++) {
    lua_Number n = static_cast<lua_Number>(rng());
    tovo_fixed_to_string(buf, n);
    ASSERT_EQ(std::string(buf), printf_route(n)) << std::hex << n;
  }
}

TEST(FixedToString, RoundTripsWholeNumbers) {
  for (int i = -32768; i <= 32767; i += 7) {
    char buf[TOVO_NUMBER_TEXT];
    int len = tovo_fixed_to_string(buf, tovo_int2num(i));
    lua_Number back;
    ASSERT_EQ(luaO_str2d(buf, static_cast<size_t>(len), &back), 1) << buf;
    EXPECT_EQ(back, tovo_int2num(i));
  }
}

class Arith : public RuntimeTest {};

TEST_F(Arith, EveryCode) {
  uint8_t* memory = tovo_test::console_memory;
  memory[0x100] = 0x34;
  memory[0x101] = 0x12;
  memory[0x102] = 0x78;
  memory[0x103] = 0x56;
  struct Case {
    int op;
    lua_Number a, b, want;
  };
  // clang-format off
  const Case cases[] = {
      {LUA_OPADD, 0x7fffffff, 1, INT32_MIN},     {LUA_OPSUB, INT32_MIN, 1, 0x7fffffff},
      {LUA_OPMUL, 3 * ONE, ONE / 2, 0x18000},    {LUA_OPDIV, 7 * ONE, 2 * ONE, 0x38000},
      {LUA_OPDIV, ONE, 0, 0x7fffffff},           {LUA_OPMOD, -ONE, 3 * ONE, 2 * ONE},
      {LUA_OPPOW, 2 * ONE, 3 * ONE, 8 * ONE},    {LUA_OPBAND, ONE, ONE / 2, 0},
      {LUA_OPBOR, 0x18000, 0x4000, 0x1c000},     {LUA_OPBXOR, 3 * ONE, ONE, 2 * ONE},
      {LUA_OPSHL, ONE, 4 * ONE, 16 * ONE},       {LUA_OPSHR, -ONE, 40 * ONE, -1},
      {LUA_OPLSHR, -ONE, 28 * ONE, 0xf},         {LUA_OPROTL, 1, 31 * ONE, INT32_MIN},
      {LUA_OPROTR, 1, ONE, INT32_MIN},           {LUA_OPBNOT, 0, 0, -1},
      {LUA_OPIDIV, 5 * ONE, 2 * ONE, 2 * ONE},   {LUA_OPIDIV, -5 * ONE, 2 * ONE, -3 * ONE},
      {LUA_OPIDIV, ONE, 0, 0x7fff0000},          {LUA_OPPEEK, 0x100 * ONE, 0, 0x34 * ONE},
      {LUA_OPPEEK2, 0x100 * ONE, 0, 0x1234 * ONE}, {LUA_OPPEEK4, 0x100 * ONE + 0x8000, 0, 0x56781234},
      {LUA_OPPEEK, static_cast<lua_Number>(0xffff0000u), 0, 0x77 * ONE},  // address -1 is 0xffff
      {LUA_OPUNM, INT32_MIN, 0, INT32_MIN},      {LUA_OPUNM, ONE, 0, -ONE},
      {LUA_NUMARITH, ONE, ONE, 0},               {-1, ONE, ONE, 0},
  };
  // clang-format on
  memory[0xffff] = 0x77;
  for (const Case& c : cases) EXPECT_EQ(luaO_arith(L, c.op, c.a, c.b), c.want) << "code " << c.op;
}

TEST(Helpers, FloatingBytesAndLogs) {
  for (unsigned x : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 100u, 1000u, 50000u}) {
    int back = luaO_fb2int(luaO_int2fb(x));
    EXPECT_GE(static_cast<unsigned>(back), x);  // rounds up
    EXPECT_LE(static_cast<unsigned>(back), x + x / 8 + 1);
  }
  EXPECT_EQ(luaO_ceillog2(1), 0);
  EXPECT_EQ(luaO_ceillog2(2), 1);
  EXPECT_EQ(luaO_ceillog2(3), 2);
  EXPECT_EQ(luaO_ceillog2(32767), 15);
  EXPECT_EQ(luaO_ceillog2(32768), 15);
  for (auto [x, l] : {std::pair{0u, 32}, {4u, 2}, {5u, 3}, {32769u, 16}, {0x80000000u, 31}, {0x80000001u, 32}}) {
    EXPECT_EQ(luaO_ceillog2(x), l) << x;
  }
  EXPECT_EQ(luaO_hexavalue('7'), 7);
  EXPECT_EQ(luaO_hexavalue('b'), 11);
  EXPECT_EQ(luaO_hexavalue('F'), 15);
}

TEST(ChunkId, Forms) {
  char out[60];
  luaO_chunkid(out, "=stdin", sizeof out);
  EXPECT_STREQ(out, "stdin");
  luaO_chunkid(out, "@cart.lua", sizeof out);
  EXPECT_STREQ(out, "cart.lua");
  luaO_chunkid(out, "x = 1\ny = 2", sizeof out);
  EXPECT_STREQ(out, "[string \"x = 1...\"]");
  luaO_chunkid(out, "short", sizeof out);
  EXPECT_STREQ(out, "[string \"short\"]");
  std::string longname = "@" + std::string(100, 'a') + "end";
  luaO_chunkid(out, longname.c_str(), sizeof out);
  EXPECT_EQ(std::string(out).substr(0, 3), "...");
  EXPECT_EQ(std::strlen(out), sizeof out - 1);
  EXPECT_EQ(std::string(out).substr(std::strlen(out) - 3), "end");
}

class FormatTest : public RuntimeTest {};

TEST_F(FormatTest, DirectivesAndNumbers) {
  int status = run_protected(L, [&] {
    const char* s = luaO_pushfstring(L, "%s:%d: %c%% %f %s", "cart", tovo_int2num(12), 'x', 0x8000,
                                     static_cast<const char*>(nullptr));
    EXPECT_STREQ(s, "cart:12: x% 0.5 (null)");
    EXPECT_TRUE(ttisstring(L->top - 1));
    const char* p = luaO_pushfstring(L, "%p", reinterpret_cast<void*>(0xbeef));
    EXPECT_STREQ(p, "0xbeef");
    EXPECT_STREQ(luaO_pushfstring(L, "%d", tovo_int2num(32768)), "-32768");
  });
  EXPECT_EQ(status, LUA_OK);
}

TEST_F(FormatTest, UnknownDirectiveIsAnError) {
  int status = run_protected(L, [&] { luaO_pushfstring(L, "%q", 1); });
  EXPECT_EQ(status, LUA_ERRRUN);
  EXPECT_EQ(top_text(L), "invalid option '%q' to 'lua_pushfstring'");
}

TEST_F(FormatTest, JoiningLongPiecesChargesCycles) {
  lua_reset_cpu_cycles(L);
  std::string a(64, 'a'), b(32, 'b');
  run_protected(L, [&] { luaO_pushfstring(L, "%s%s", a.c_str(), b.c_str()); });
  EXPECT_EQ(lua_get_cpu_cycles(L), 3);
  lua_reset_cpu_cycles(L);
  run_protected(L, [&] { luaO_pushfstring(L, "%s", a.c_str()); });
  EXPECT_EQ(lua_get_cpu_cycles(L), 0);
}

TEST_F(FormatTest, CoercionsBetweenNumbersAndStrings) {
  run_protected(L, [&] {
    TString* s = push_string(" 0x10 ");
    TValue v = str(s), scratch;
    const TValue* n = luaV_tonumber(&v, &scratch);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(nvalue(n), 16 * ONE);
    TString* bad = push_string("12abc");
    v = str(bad);
    EXPECT_EQ(luaV_tonumber(&v, &scratch), nullptr);
    TValue x = num(0x28000);
    StkId slot = push(&x);
    EXPECT_EQ(luaV_tostring(L, slot), 1);
    ASSERT_TRUE(ttisshrstring(slot));
    EXPECT_STREQ(svalue(slot), "2.5");
    EXPECT_EQ(tsvalue(slot), luaS_new(L, "2.5"));  // interned
    EXPECT_EQ(luaV_tostring(L, slot), 0);
  });
}

}  // namespace
