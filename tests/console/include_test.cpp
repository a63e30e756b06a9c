// Include directives are refused; every other line passes unchanged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/run/include.h"

namespace {

struct flattened {
  int status;
  std::string out;
  tovo_text_result result;
};

flattened flatten(const std::string& text, int32_t size = 262144) {
  std::vector<char> out(static_cast<size_t>(size), 'x');
  flattened f;
  f.status = tovo_flatten_includes(text.c_str(), out.data(), size, &f.result);
  f.out = out.data();
  return f;
}

TEST(Include, LinesStartingWithIncludeAreRefused) {
  const struct {
    const char* text;
    const char* before;  // what out holds after the refusal
  } cases[] = {
      {"#include lib.lua", ""},
      {"  #include lib.lua", ""},
      {"x = 1\n\t #include lib.lua\ny = 2", "x = 1\n"},
      {"a\n--[[c]] b\n#include a:1\n", "a\n--[[c]] b\n"},
  };
  for (const auto& c : cases) {
    const flattened f = flatten(c.text);
    EXPECT_EQ(f.status, 1) << c.text;
    EXPECT_EQ(f.result.status, 1);
    EXPECT_STREQ(f.result.message, "can not #include");
    EXPECT_STREQ(f.result.detail, "");
    EXPECT_EQ(f.out, c.before) << c.text;
  }
}

TEST(Include, OtherLinesAreCopiedByteForByte) {
  const char* cases[] = {
      "x=1 #include y",              // not at the line start
      "#includes\n#include\n",       // no blank after the word
      "--[[\n#include x\n]] y = 1",  // inside a comment that began on an earlier line
      "s = [[\n  #include x\n]]",    // inside a long string
      "a\r\nb\n\n",
      "",
      "\"unclosed\n#include\tx",
  };
  for (const char* text : cases) {
    const flattened f = flatten(text);
    EXPECT_EQ(f.status, 0) << text;
    EXPECT_EQ(f.result.status, 0);
    EXPECT_EQ(f.out, text);
  }
}

TEST(Include, TextThatDoesNotFitIsRefusedWhole) {
  const std::string text(100, 'a');
  const flattened small = flatten(text, 100);  // no room for the NUL
  EXPECT_EQ(small.status, 2);
  EXPECT_EQ(small.out, "");
  EXPECT_STREQ(small.result.message, "program exceeds char limit");
  EXPECT_STREQ(small.result.detail, "100 / 65536 chars\n");
  EXPECT_EQ(flatten(text, 101).out, text);
}

TEST(Include, TheTableStaysEmpty) {
  flatten("x = 1\n");
  EXPECT_EQ(last_included_files(), 0);
  EXPECT_EQ(included_start(0), 0);
  EXPECT_EQ(included_end(0), 0);
  EXPECT_EQ(included_name(0), nullptr);
  EXPECT_EQ(included_name(-1), nullptr);
}

TEST(Include, EveryLineIsCheckedHoweverMany) {
  const std::string lines(70000, '\n');
  EXPECT_EQ(flatten(lines + "#include x").status, 1);
  EXPECT_EQ(flatten(lines + "x = 1").out, lines + "x = 1");
}

}  // namespace
