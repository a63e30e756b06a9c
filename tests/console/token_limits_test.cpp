// The size limits of a cart's code and their messages.
#include <gtest/gtest.h>

#include <string>

#include "console/run/token.h"

namespace {

// n counted tokens, padded with a comment to exactly `chars` characters.
std::string code_of(int tokens, size_t chars) {
  std::string code;
  for (int i = 0; i < tokens; i++) code += "a ";
  if (code.size() < chars) {
    code += "--";
    code.resize(chars, 'c');
  }
  return code;
}

TEST(TokenLimits, BoundariesAndMessages) {
  const struct {
    int tokens;
    size_t chars;
    int status;
    const char* message;
    const char* detail;
  } cases[] = {
      {8192, 65536, 0, "", ""},
      {8192, 65537, 1, "program exceeds char limit", "65537 / 65536 chars\n"},
      {8193, 65536, 1, "program too large", "8193 / 8192 tokens\n"},
      {9000, 70000, 1, "program exceeds char limit", "70000 / 65536 chars\n"},  // chars first
      {0, 0, 0, "", ""},
  };
  for (const auto& c : cases) {
    const std::string code = code_of(c.tokens, c.chars);
    ASSERT_EQ(code.size(), c.chars);
    tovo_text_result r;
    EXPECT_EQ(tovo_check_code_limits(code.c_str(), &r), c.status) << c.tokens << " " << c.chars;
    EXPECT_EQ(r.status, c.status);
    EXPECT_STREQ(r.message, c.message);
    EXPECT_STREQ(r.detail, c.detail);
    if (c.chars <= 65536) {
      EXPECT_EQ(r.tokens, c.tokens);
    }
  }
}

TEST(TokenLimits, ShorthandIsCountedAsWritten) {
  // "a += 1" counts 3 here although the preprocessor makes it "a = a + (1)".
  std::string code;
  for (int i = 0; i < 2730; i++) code += "a+=1\n";
  tovo_text_result r;
  EXPECT_EQ(tovo_check_code_limits(code.c_str(), &r), 0);
  EXPECT_EQ(r.tokens, 8190);
}

}  // namespace
