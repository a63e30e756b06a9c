// The instruction loop: opcodes through compiled code, numeric fast paths
// and string coercion, metamethods of the new operators, the for-loop rules,
// length, concatenation and comparison.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "script/lib/lib_base.h"
#include "tests/script/console_double.h"
#include "tests/script/vm_fixture.h"

namespace {

class VmOpTest : public VmTest {
 protected:
  // A global table named name whose metatable answers every event with the
  // event's name.
  void make_meta_table(const char* name) {
    lua_newtable(L);  // the table
    lua_newtable(L);  // its metatable
    for (int e = TM_LEN; e < TM_N; e++) {
      if (e == TM_EQ) continue;
      lua_pushstring(L, luaT_eventname[e]);
      lua_pushcclosure(L, event_name, 1);
      lua_setfield(L, -2, luaT_eventname[e]);
    }
    for (const char* ev : {"__index", "__newindex", "__eq", "__call"}) {
      lua_pushstring(L, ev);
      lua_pushcclosure(L, event_name, 1);
      lua_setfield(L, -2, ev);
    }
    lua_setmetatable(L, -2);
    lua_setglobal(L, name);
  }
  static int event_name(lua_State* L) {
    lua_pushvalue(L, lua_upvalueindex(1));
    return 1;
  }
};

struct NumberCase {
  const char* src;
  lua_Number expected;
};

TEST_F(VmOpTest, ArithmeticOpcodesOnNumbersAndStrings) {
  tovo_test::console_memory[0x5f00] = 7;
  tovo_test::console_memory[0x5f01] = 1;
  const NumberCase cases[] = {
      {"local a, b = 2, 3 return a + b", I(5)},
      {"local a, b = 32767, 1 return a + b", I(-32768)},
      {"local a, b = 3, 5 return a - b", I(-2)},
      {"local a, b = 2.5, 4 return a * b", I(10)},
      {"local a, b = 1, 0 return a / b", 0x7fffffff},
      {"local a, b = -1, 0 return a / b", static_cast<lua_Number>(0x80000001)},
      {"local a, b = -1, 3 return a % b", I(2)},
      {"local a, b = 2, 3 return a ^ b", I(8)},
      {"local a, b = 1, 0.5 return a & b", 0},
      {"local a, b = 1.5, 0.25 return a | b", 0x1c000},
      {"local a, b = 5, 3 return a ^^ b", I(6)},
      {"local a, b = 1, 4 return a << b", I(16)},
      {"local a, b = 1, 40 return a >> b", 0},
      {"local a, b = -1, 40 return a >> b", -1},
      {"local a, b = -1, 28 return a >>> b", 0xf},
      {"local a, b = 1, 1 return a <<> b", I(2)},
      {"local a, b = 1, 1 return a >>< b", 0x8000},
      {"local a = 0 return ~a", -1},
      {"local a, b = 5, 2 return a \\ b", I(2)},
      {"local a, b = -5, 2 return a \\ b", I(-3)},
      {"local a, b = 1, 0 return a \\ b", 0x7fff0000},
      {"local a = 0x5f00 return @a", I(7)},
      {"local a = 0x5f00 return %a", I(0x107)},
      {"local a = 0x5f00 return $a", 0x107},
      {"local a = -32768 return -a", I(-32768)},
      // strings that convert take part as numbers, in every operator
      {"local a, b = '8', 1 return a + b", I(9)},
      {"local a, b = '0x10', 255 return a & b", I(16)},
      {"local a, b = '0x10', 1 return a << b", I(32)},
      {"local a = '0x5f00' return @a", I(7)},
      {"local a = '3' return -a", I(-3)},
      {"local a = '0b1' return ~a", static_cast<lua_Number>(~0x10000u)},
      {"local a, b = 7, '2' return a \\ b", I(3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(number_of(c.src), c.expected) << c.src;
  }
}

TEST_F(VmOpTest, EveryArithmeticEventCallsItsMetamethod) {
  make_meta_table("t");
  const std::pair<const char*, const char*> cases[] = {
      {"return t + 1", "__add"},       {"return 1 - t", "__sub"},    {"return t * 1", "__mul"},
      {"return t / 1", "__div"},       {"return t % 1", "__mod"},    {"return t ^ 1", "__pow"},
      {"return t & 1", "__and"},       {"return t | 1", "__or"},     {"return t ^^ 1", "__xor"},
      {"return t << 1", "__shl"},      {"return t >> 1", "__shr"},   {"return t >>> 1", "__lshr"},
      {"return t <<> 1", "__rotl"},    {"return t >>< 1", "__rotr"}, {"return ~t", "__not"},
      {"return t \\ 1", "__idiv"},     {"return @t", "__peek"},      {"return %t", "__peek2"},
      {"return $t", "__peek4"},        {"return -t", "__unm"},       {"return #t", "__len"},
      {"return t .. 'x'", "__concat"}, {"return t < 1", "__lt"},     {"return t <= 1", "__le"},
      {"return t.x", "__index"},       {"return t()", "__call"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run(c.first, 1), LUA_OK) << c.first << ": " << top_text(L);
    if (std::strcmp(c.second, "__lt") == 0 || std::strcmp(c.second, "__le") == 0) {
      EXPECT_TRUE(lua_toboolean(L, -1)) << c.first;  // a comparison gives the truth of the result
    } else {
      EXPECT_EQ(text_of(-1), c.second) << c.first;
    }
  }
}

int second_arg(lua_State* L) {
  lua_pushvalue(L, 2);
  return 1;
}

TEST_F(VmOpTest, UnaryMetamethodsGetTheirOperands) {
  lua_newtable(L);
  lua_newtable(L);
  for (const char* ev : {"__not", "__peek4", "__unm"}) {
    lua_pushcfunction(L, second_arg);
    lua_setfield(L, -2, ev);
  }
  lua_setmetatable(L, -2);
  lua_setglobal(L, "t");
  // The new unary operators pass the constant 0 as the second operand, "-"
  // passes its operand twice.
  ASSERT_EQ(run("return ~t, $t, -t == t", 3), LUA_OK) << top_text(L);
  EXPECT_EQ(lua_type(L, 1), LUA_TNUMBER);
  EXPECT_EQ(lua_tonumber(L, 1), 0);
  EXPECT_EQ(lua_tonumber(L, 2), 0);
  EXPECT_TRUE(lua_toboolean(L, 3));
}

TEST_F(VmOpTest, ArithmeticOnValuesWithoutMetamethodsNamesTheOperand) {
  const std::pair<const char*, const char*> cases[] = {
      {"return x + 1", "attempt to perform arithmetic on global 'x' (a nil value)"},
      {"local t = {} return t & 1", "attempt to perform arithmetic on local 't' (a table value)"},
      {"local t = {} return 1 <<> t", "attempt to perform arithmetic on local 't' (a table value)"},
      {"local s = 'x' return @s", "attempt to perform arithmetic on local 's' (a string value)"},
      {"local t = {} return t.a.b", "attempt to index field 'a' (a nil value)"},
      {"local t return t.x", "attempt to index local 't' (a nil value)"},
      {"return f()", "attempt to call global 'f' (a nil value)"},
      {"local t = {} t:m()", "attempt to call method 'm' (a nil value)"},
      {"local t = {} t.x.y = 1", "attempt to index field 'x' (a nil value)"},
      {"local u local function g() return u.x end return g()", "attempt to index upvalue 'u' (a nil value)"},
      {"local a = {} return a .. 'x'", "attempt to concatenate local 'a' (a table value)"},
      {"local a return 'x' .. a", "attempt to concatenate local 'a' (a nil value)"},
      {"local a return #a", "attempt to get length of local 'a' (a nil value)"},
      {"local a, b = {}, 1 return a < b", "attempt to compare table with number"},
      {"local a, b = {}, {} return a <= b", "attempt to compare two table values"},
      {"local a, b = 'x', 1 return a < b", "attempt to compare string with number"},
      {"return {} + 1", "attempt to perform arithmetic on a table value"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(error_of(c.first), c.second) << c.first;
  }
}

TEST_F(VmOpTest, RuntimeErrorsHaveNoPositionAndSetTheRuntimeLine) {
  tovo_set_runtime_line(L, 0);
  EXPECT_EQ(error_of("local a = 1\n\n\n\n\n\nlocal b = a + nil"), "attempt to perform arithmetic on a nil value");
  EXPECT_EQ(tovo_runtime_line(L), 7);
}

TEST_F(VmOpTest, NumericForLoopRules) {
  const NumberCase cases[] = {
      {"local n = 0 for i = 1, 3 do n = n + 1 end return n", I(3)},
      {"local n = 0 for i = 3, 1, -1 do n = n + 1 end return n", I(3)},
      {"local n = 0 for i = 1, 3, 0 do n = n + 1 end return n", I(0)},  // step 0: no pass
      {"local n = 0 for i = 1, 2, 0.5 do n = n + 1 end return n", I(3)},
      {"local n = 0 for i = 32767, 32767 do n = n + 1 end return n", I(1)},
      {"local n = 0 for i = 32760, 32767 do n = n + 1 end return n", I(8)},
      {"local n = 0 for i = -32760, -32768, -1 do n = n + 1 end return n", I(9)},
      {"local n = 0 for i = 0, 32767, 16384 do n = n + 1 end return n", I(2)},
      {"local n = 0 for i = '1', '3' do n = n + 1 end return n", I(3)},
      {"local s = 0 for i = 1, 4 do s = s + i end return s", I(10)},
  };
  for (const auto& c : cases) EXPECT_EQ(number_of(c.src), c.expected) << c.src;
  EXPECT_EQ(error_of("for i = 'x', 2 do end"), "'for' initial value must be a number");
  EXPECT_EQ(error_of("for i = 1, {} do end"), "'for' limit must be a number");
  EXPECT_EQ(error_of("for i = 1, 2, nil do end"), "'for' step must be a number");
}

TEST_F(VmOpTest, LengthIsAWholeNumber) {
  EXPECT_EQ(number_of("local s = 'hello' return #s"), I(5));
  EXPECT_EQ(number_of("local t = {1, 2, 3} return #t"), I(3));
  EXPECT_EQ(number_of("local t = {} return #t"), I(0));
}

TEST_F(VmOpTest, ConcatenationJoinsTextAndNumbers) {
  ASSERT_EQ(run("local a, b, c = 1, 2.5, 'x' return a .. b .. c", 1), LUA_OK);
  EXPECT_EQ(text_of(-1), "12.5x");
  ASSERT_EQ(run("local a, b = '', 7 return a .. b", 1), LUA_OK);
  EXPECT_EQ(text_of(-1), "7");
}

TEST_F(VmOpTest, ConcatenationChargesCopiedBytes) {
  // 64 + 32 bytes joined: 64/32 + 32/32 = 3 cycles beyond the instructions.
  auto cycles_of = [&](const char* src) {
    load(src);
    lua_reset_cpu_cycles(L, 0);
    EXPECT_EQ(lua_pcall(L, 0, 0, 0), LUA_OK) << top_text(L);
    return lua_get_cpu_cycles(L);
  };
  std::string a(64, 'a'), b(32, 'b');
  int32_t joined = cycles_of(("local a, b = '" + a + "', '" + b + "' local c = a .. b").c_str());
  int32_t moved = cycles_of(("local a, b = '" + a + "', '" + b + "' local c = a").c_str());
  // LOADK LOADK MOVE MOVE CONCAT RETURN against LOADK LOADK MOVE RETURN.
  EXPECT_EQ(joined - moved, 1 + 2 + 3);
  // One empty side copies nothing.
  int32_t empty = cycles_of(("local a, b = '" + a + "', '' local c = a .. b").c_str());
  EXPECT_EQ(empty - moved, 1 + 2);
}

// "__concat": the types of its operands, as "a|b".
int concat_types(lua_State* L) {
  lua_pushfstring(L, "%s|%s", lua_typename(L, lua_type(L, 1)), lua_typename(L, lua_type(L, 2)));
  return 1;
}

TEST_F(VmOpTest, TwoValueJoinsConvertNumbersOnlyWhenBothSidesJoin) {
  // A join of two values: numbers become text when both sides are strings
  // or numbers, either side may be empty, and "__concat" is handed the
  // values as they were, a number still a number.
  lua_newtable(L);
  lua_newtable(L);
  lua_pushcfunction(L, concat_types);
  lua_setfield(L, -2, "__concat");
  lua_setmetatable(L, -2);
  lua_setglobal(L, "t");
  const std::pair<const char*, const char*> cases[] = {
      {"local a, b = 1, 2 return a .. b", "12"},       {"local a, b = 0.5, -2 return a .. b", "0.5-2"},
      {"local a, b = '', 3 return a .. b", "3"},       {"local a, b = 3, '' return a .. b", "3"},
      {"local a, b = '', '' return a .. b", ""},       {"local a, b = 'ab', 'cd' return a .. b", "abcd"},
      {"local n = 5 return n .. t", "number|table"},   {"local n = 5 return t .. n", "table|number"},
      {"local s = 'x' return s .. t", "string|table"},
  };
  for (const auto& [src, want] : cases) {
    ASSERT_EQ(run(src, 1), LUA_OK) << src << ": " << top_text(L);
    EXPECT_EQ(text_of(-1), want) << src;
  }
  ASSERT_NE(run("local a, b = 'x', nil return a .. b", 1), LUA_OK);
  EXPECT_NE(top_text(L).find("concatenate"), std::string::npos) << top_text(L);
}

struct JoinCase {
  std::vector<std::string> pieces;  // a piece starting with '#' is the number after it
  std::string joined;
};

TEST_F(VmOpTest, JoinsMakeTheirStringsAndCountTheSameMemoryAtEveryLength) {
  // Joins of strings and numbers whose results are just short enough to be
  // interned, just too long, long, and longer than the join buffer: the text
  // is right, a short result is the interned string and a long one a string
  // of its own, and the memory count rises by the new string and the
  // buffer's growth (at least twofold) alone.
  std::string s39(39, 'a'), s40(40, 'b'), s300(300, 'c'), s9000(9000, 'd');
  const JoinCase cases[] = {
      {{"ab", "#7"}, "ab7"},
      {{"hello", "abcdefgh", "0123456789abcdef"}, "helloabcdefgh0123456789abcdef"},
      {{"vwxyz!", "#-1234.5", "ijklmnopq", "ABCDEFGHIJKLMNO", "0123456789abcdefg", "#-0.25"},
       "vwxyz!-1234.5ijklmnopqABCDEFGHIJKLMNO0123456789abcdefg-0.25"},
      {{s39.substr(0, 37), "#12"}, s39.substr(0, 37) + "12"},
      {{s39.substr(0, 38), "#12"}, s39.substr(0, 38) + "12"},
      {{s39.substr(0, 38), "#123"}, s39.substr(0, 38) + "123"},
      {{s40, "x"}, s40 + "x"},
      {{"#1", s40, "#-2.5"}, "1" + s40 + "-2.5"},
      {{s300, "#3", s40}, s300 + "3" + s40},
      {{s300, s300, s300, "#0.5"}, s300 + s300 + s300 + "0.5"},
      {{s9000, "e"}, s9000 + "e"},
      {{"f", s9000, s9000}, "f" + s9000 + s9000},
  };
  lua_gc(L, LUA_GCSTOP, 0);
  for (const JoinCase& c : cases) {
    SCOPED_TRACE(c.joined.substr(0, 50) + " (" + std::to_string(c.joined.size()) + " bytes)");
    lua_settop(L, 0);
    for (const std::string& p : c.pieces) {
      if (p[0] == '#') lua_pushnumber(L, static_cast<lua_Number>(std::stod(p.substr(1)) * 65536));
      else lua_pushlstring(L, p.data(), p.size());
    }
    global_State* g = G(L);
    size_t buffer = luaZ_sizebuffer(&g->buff);
    size_t want = c.joined.size();
    if (want > buffer && want < 2 * buffer) want = 2 * buffer;
    size_t grown = want > buffer ? std::max(want, LUA_MINBUFFER) - buffer : 0;
    // the numbers' texts are made first: counted before the join
    for (int i = 1; i <= lua_gettop(L); i++) lua_tolstring(L, i, nullptr);
    size_t before = gettotalbytes(g);
    lua_concat(L, lua_gettop(L));
    ASSERT_EQ(lua_gettop(L), 1);
    EXPECT_EQ(text_of(1), c.joined);
    TString* ts = tsvalue(L->top - 1);
    bool is_short = c.joined.size() <= LUAI_MAXSHORTLEN;
    EXPECT_EQ(ts->tt, is_short ? LUA_TSHRSTR : LUA_TLNGSTR);
    EXPECT_EQ(getstr(ts)[ts->len], 0);
    EXPECT_EQ(gettotalbytes(g) - before, grown + sizestring(c.joined.size()));
    EXPECT_EQ(luaZ_sizebuffer(&g->buff), buffer + grown);
    if (is_short) {
      EXPECT_EQ(luaS_newlstr(L, c.joined.data(), c.joined.size()), ts);
    } else {
      EXPECT_NE(luaS_newlstr(L, c.joined.data(), c.joined.size()), ts);
    }
  }
}

TEST_F(VmOpTest, ComparisonsAreSignedAndStringsCollate) {
  const std::pair<const char*, bool> cases[] = {
      {"local a, b = -1, 1 return a < b", true},
      {"local a, b = -32768, 32767 return a <= b", true},
      {"local a, b = 0.5, 0.25 return a < b", false},
      {"local a, b = 'a', 'b' return a < b", true},
      {"local a, b = 'a\\0b', 'a\\0c' return a < b", true},
      {"local a, b = 'a', 'a\\0' return a < b", true},
      {"local a, b = 'abc', 'abc' return a <= b", true},
      {"local a, b = 1, '1' return a == b", false},
      {"local a, b = 2, 2 return a == b", true},
      {"local a, b = {}, {} return a == b", false},
      {"local a = {} local b = a return a == b", true},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run(c.first, 1), LUA_OK) << c.first << ": " << top_text(L);
    EXPECT_EQ(lua_toboolean(L, -1) != 0, c.second) << c.first;
  }
}

// "__eq" runs only for two different tables: an object equals itself
// without it, whatever the metamethod would answer.
TEST_F(VmOpTest, EqualityAsksEqOnlyForTwoObjects) {
  set_global_function("setmetatable", luaB_setmetatable);
  const std::string setup =
      "local calls = 0 local mt = {__eq = function() calls = calls + 1 return false end} "
      "local a, b = setmetatable({}, mt), setmetatable({}, mt) local plain = {} "
      "local s1, s2 = '', '' for i = 1, 50 do s1 = s1 .. 'q' s2 = s2 .. 'q' end "
      "local f = function() end ";
  struct Case {
    const char* expr;
    bool result;
    int eq_calls;
  };
  const Case cases[] = {
      {"a == a", true, 0},      {"a ~= a", false, 0},
      {"a == b", false, 1},     {"a ~= b", true, 1},
      {"a == plain", false, 0}, {"plain == plain", true, 0},
      {"s1 == s1", true, 0},    {"s1 == s2", true, 0},
      {"f == f", true, 0},      {"f == function() end", false, 0},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(run(setup + "return " + c.expr + ", calls", 2), LUA_OK) << c.expr << ": " << top_text(L);
    EXPECT_EQ(lua_toboolean(L, -2) != 0, c.result) << c.expr;
    EXPECT_EQ(lua_tonumber(L, -1), I(c.eq_calls)) << c.expr;
  }
}

int always_true(lua_State* L) {
  lua_pushboolean(L, 1);
  return 1;
}

TEST_F(VmOpTest, LessOrEqualFallsBackToLessThanSwapped) {
  lua_newtable(L);
  lua_newtable(L);
  lua_pushcfunction(L, always_true);
  lua_setfield(L, -2, "__lt");
  lua_setmetatable(L, -2);
  lua_setglobal(L, "t");
  // t <= 1 is not (1 < t): __lt answers true, so the result is false.
  ASSERT_EQ(run("return t <= 1", 1), LUA_OK) << top_text(L);
  EXPECT_FALSE(lua_toboolean(L, -1));
}

TEST_F(VmOpTest, TablesFieldsUpvaluesClosuresAndVarargs) {
  const NumberCase cases[] = {
      {"local t = {} t.x = 5 t[1] = 2 return t.x + t[1]", I(7)},
      {"g = 3 return g", I(3)},
      {"local t = {1, 2, 3, 4, 5} return t[5]", I(5)},
      {"local function f(...) local a, b = ... return a + b end return f(2, 3)", I(5)},
      {"local function f(...) return #{...} end return f(1, 2, 3)", I(3)},
      {"local function mk() local n = 0 return function() n = n + 1 return n end end "
       "local c = mk() c() c() return c()",
       I(3)},
      {"local t = {} for i = 1, 60 do t[i] = i end return #t", I(60)},
      {"local function f() return 1, 2, 3 end local t = {f()} return #t", I(3)},
      {"local function f(n) if n == 0 then return 0 end return f(n - 1) + 1 end return f(50)", I(50)},
      {"local function f(n, acc) if n == 0 then return acc end return f(n - 1, acc + 1) end return f(500, 0)", I(500)},
      {"local a = true local b = not a return b and 1 or 2", I(2)},
      {"local x local y = x or 4 return y", I(4)},
      {"local s = 0 for k, v in next, {5, 6} do s = s + v end return s", I(11)},
      {"local o = {v = 4} function o:get(k) return self.v + k end return o:get(1)", I(5)},
      {"local i = 0 while true do i = i + 1 if i > 4 then break end end return i", I(5)},
      {"local i = 0 repeat i = i + 1 until i == 3 return i", I(3)},
      {"local i = 0 ::top:: i = i + 1 if i < 4 then goto top end return i", I(4)},
  };
  lua_pushcfunction(L, [](lua_State* L) -> int {
    lua_settop(L, 2);
    lua_pushnil(L);
    if (luaH_next(L, hvalue(L->ci->func + 1), L->ci->func + 2)) return 2;
    lua_pushnil(L);
    return 1;
  });
  lua_setglobal(L, "next");
  for (const auto& c : cases) EXPECT_EQ(number_of(c.src), c.expected) << c.src;
}

TEST_F(VmOpTest, IndexChainsEndInLoopErrors) {
  lua_newtable(L);
  lua_newtable(L);
  lua_pushvalue(L, -2);
  lua_setfield(L, -2, "__index");
  lua_pushvalue(L, -2);
  lua_setfield(L, -2, "__newindex");
  lua_setmetatable(L, -2);  // t's metatable sends every access back to t
  lua_setglobal(L, "t");
  EXPECT_EQ(error_of("return t.x"), "loop in gettable");
  EXPECT_EQ(error_of("t.x = 1"), "loop in settable");
}

}  // namespace
