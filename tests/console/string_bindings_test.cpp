// tostr, tonum, sub, chr, ord and split: results and charges; and values
// written back as source text.
#include <cstring>
#include <string>

#include "console/print/stringify.h"
#include "tests/console/bindings_fixture.h"

namespace {

class StringBindingsTest : public BindingsTest {};

struct result_case {
  const char* src;
  const char* expected;
};

class StringBindingsTable : public StringBindingsTest {
 protected:
  void check(std::initializer_list<result_case> cases) {
    for (const result_case& c : cases) EXPECT_EQ(results(c.src), c.expected) << c.src;
  }
};

TEST_F(StringBindingsTable, Tostr) {
  check({
      {"tostr()", "\"\""},
      {"tostr(nil)", "\"[nil]\""},
      {"tostr(true)", "\"true\""},
      {"tostr(false)", "\"false\""},
      {"tostr('abc')", "\"abc\""},
      {"tostr(1.5)", "\"1.5\""},
      {"tostr(-1, true)", "\"0xffff.0000\""},
      {"tostr(-1, false)", "\"-1\""},
      {"tostr(1.5, 1)", "\"0x0001.8000\""},
      {"tostr(1, 3)", "\"0x00010000\""},
      {"tostr(0.5, 2)", "\"32768\""},
      {"tostr(1, 2)", "\"65536\""},
      {"tostr(7, nil)", "\"7\""},
      {"tostr({})", "\"[table]\""},
      {"tostr(tostr)", "\"[function]\""},
  });
}

TEST_F(StringBindingsTable, Tonum) {
  check({
      {"tonum('ff', 1)", "255"},
      {"tonum('0x10', 1)", "16"},
      {"tonum('12345', 1)", "9029"},  // only the last four digits count: 0x2345
      {"tonum('abc')", ""},
      {"tonum('abc', 4)", "0"},
      {"tonum('0x1f')", "31"},
      {"tonum('0b101')", "5"},
      {"tonum('2.5')", "2.5"},
      {"tonum(true)", "1"},
      {"tonum(false)", "0"},
      {"tonum({})", ""},
      {"tonum()", ""},
      {"tonum(3.25)", "3.25"},
  });
  EXPECT_EQ(raw("tonum('ffff0000', 3)"), -0x10000);
  EXPECT_EQ(raw("tonum('12', 2)"), 12);
  EXPECT_EQ(raw("tonum(' -7', 2)"), -7);
  EXPECT_EQ(raw("tonum('x', 2)"), 0);
  EXPECT_EQ(raw("tonum(true, 2)"), 1);
}

TEST_F(StringBindingsTable, Sub) {
  check({
      {"sub('hello', 2, 3)", "\"el\""},
      {"sub('hello', -3)", "\"llo\""},
      {"sub('hello', 2, 'x')", "\"e\""},
      {"sub('hello', 4, 2)", "\"\""},
      {"sub('hello', 0)", "\"hello\""},
      {"sub('hello', 9, 12)", "\"o\""},
      {"sub('hello', -9)", "\"o\""},
      {"sub('hello', 2, 0)", "\"\""},
      {"sub('hello', -9, 2)", "\"\""},  // the start is clamped past the end
      {"sub('', 1, 1)", "\"\""},
      {"sub('', 0)", "\"\""},
      {"sub(12345, 2, 3)", "\"23\""},
      {"sub({}, 1)", ""},
      {"sub()", ""},
  });
}

TEST_F(StringBindingsTable, ChrAndOrd) {
  check({
      {"chr(104, 105)", "\"hi\""},
      {"chr(256 + 65)", "\"A\""},
      {"chr()", "\"\""},
      {"#chr(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20)", "20"},
      {"ord('abc', 2, 3)", "98,99,nil"},
      {"ord('abc', 0)", "nil"},
      {"ord('abc')", "97"},
      {"ord(123, 3)", "51"},
      {"ord({}, 1, 2)", "nil,nil"},
      {"ord('abc', 1, 0)", "error: too many ord results"},
      {"ord('abc', 1, 0.5)", "error: too many ord results"},
      {"ord('abc', 1, 100000)", "error: too many ord results"},
  });
}

TEST_F(StringBindingsTable, Split) {
  check({
      {"unpack(split('1,b,3'))", "1,\"b\",3"},
      {"unpack(split('1,b,3', ',', false))", "\"1\",\"b\",\"3\""},
      {"unpack(split('abcde', 2))", "\"ab\",\"cd\",\"e\""},
      {"unpack(split('12a', ''))", "1,2,\"a\""},
      {"unpack(split('12a', '', false))", "\"1\",\"2\",\"a\""},
      {"unpack(split('a;b', ';x'))", "\"a\",\"b\""},
      {"unpack(split('a,,b,'))", "\"a\",\"\",\"b\",\"\""},
      {"#split('', 3)", "0"},
      {"unpack(split('abc', 0))", "\"a\",\"b\",\"c\""},
      {"unpack(split('abc', 9))", "\"abc\""},
      {"unpack(split('1 2', ' ', nil))", "\"1\",\"2\""},
      {"unpack(split('x', {}))", "\"x\""},
      {"split()", ""},
      {"split({})", ""},
  });
}

TEST_F(StringBindingsTest, Charges) {
  EXPECT_EQ(charge("tostr", "1"), 4);
  EXPECT_EQ(charge("tostr", ""), 4);
  EXPECT_EQ(charge("tonum", "'12'"), 4);
  EXPECT_EQ(charge("tonum", "12"), 0);
  EXPECT_EQ(charge("sub", "'hello', 2, 4"), 6);
  EXPECT_EQ(charge("sub", "'hello', 4, 2"), 0);
  EXPECT_EQ(charge("chr", "65, 66, 67"), 6);
  EXPECT_EQ(charge("ord", "'abc', 1, 3"), 6);
  EXPECT_EQ(charge("split", "'a,b,c,d'"), 14);
}

// Quotes escaped with a backslash, nothing else touched.
TEST(StringifyTest, EscapeStringQuotesQuotes) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"plain", "plain"}, {"a\"b", "a\\\"b"}, {"\"\"", "\\\"\\\""}, {"", ""}, {"back\\slash", "back\\slash"},
  };
  for (const auto& c : cases) EXPECT_STREQ(escape_string(c.in), c.out) << c.in;
  const std::string long_text(5000, '"');
  EXPECT_EQ(std::string(escape_string(long_text.c_str())).size(), 10000u);  // the buffer grows
}

// Values written back as source text.
TEST_F(StringBindingsTest, StringifyWritesValuesAsSource) {
  const struct {
    const char* src;
    int32_t depth;
    const char* text;
  } cases[] = {
      {"'hi'", 1, "\"hi\""},
      {"'say \"x\"'", 1, "\"say \\\"x\\\"\""},
      {"true", 1, "true"},
      {"false", 1, "false"},
      {"nil", 1, "nil"},
      {"1.5", 1, "1.5"},
      {"-3", 1, "-3"},
      {"print", 1, "nil"},  // a type it does not write
      {"{}", 1, "{}"},
      {"{1,2,3}", 1, "{1,2,3}"},
      {"{1,nil,3}", 1, "{1,[3]=3}"},  // the next index is 2, not 3
      {"{[2]=5}", 1, "{[2]=5}"},
      {"{x='a'}", 1, "{x=\"a\"}"},
      {"{[true]=1}", 1, "{true=1}"},
      {"{{1},{2,{3}}}", 1, "{nil,nil}"},  // below the depth limit
      {"{{1},{2,{3}}}", 2, "{{1},{2,nil}}"},
      {"{{1},{2,{3}}}", 3, "{{1},{2,{3}}}"},
      {"{}", 0, "nil"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run("return " + std::string(c.src)), LUA_OK) << c.src;
    char out[256];
    const int32_t n = stringify_object(L, 1, out, sizeof out, c.depth);
    EXPECT_STREQ(out, c.text) << c.src;
    EXPECT_EQ(n, static_cast<int32_t>(std::strlen(c.text))) << c.src;
    lua_settop(L, 0);
  }
  // A text that does not fit is refused whole, and the stack is left as it was.
  ASSERT_EQ(run("return {1,2,3,4,5,6,7,8,9}"), LUA_OK);
  char small[8];
  EXPECT_EQ(stringify_object(L, 1, small, sizeof small, 2), -1);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(lua_gettop(L), 1);
  char exact[20];  // "{1,2,3,4,5,6,7,8,9}" and its NUL
  EXPECT_EQ(stringify_object(L, -1, exact, sizeof exact, 2), 19);
}

}  // namespace
