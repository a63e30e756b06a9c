// The console tokenizer: token ids, counting and colours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/bindings/api_list.h"
#include "console/run/token.h"
#include "console/run/token_queries.h"

namespace {

struct read_token {
  int32_t id;
  std::string text;
};

std::vector<read_token> read_all(const char* text) {
  std::vector<read_token> tokens;
  tovo_token_state ts;
  const char* p = get_first_token(&ts, text);
  while (ts.token != TOVO_TOK_END_OF_TEXT) {
    tokens.push_back({ts.token, std::string(ts.ident, static_cast<size_t>(ts.ident_len))});
    p = get_next_token(&ts, p);
  }
  return tokens;
}

int32_t single_id(const char* text) {
  const std::vector<read_token> t = read_all(text);
  return t.size() == 1 ? t[0].id : 0;
}

struct count_case {
  const char* text;
  int tokens;
};

TEST(TokenCount, CountsTheListedCases) {
  // clang-format off
  const count_case cases[] = {
      {"x = -1", 3},              // the sign joins the number after "="
      {"a - 1", 3},               // after a name "-" is an operator
      {"a-1", 3},
      {"f(-1)", 3},               // ")" is free
      {"local a = {1, 2}", 5},    // local, "," and "}" are free
      {"t.end", 2},               // a name after "." is never the keyword
      {"a:local()", 3},           // a, local, "("
      {"a ^= 2", 4},              // "^=" is two tokens
      {"a += 2", 3},
      {"a ..= b", 3},
      {"a >>>= 1 b <<= 2 c ^^= 3", 9},
      {"-- a comment of any length + - * / 1 2 3", 0},
      {"--[[ a\nlong\ncomment ]] x", 1},
      {"--[[ never closed\nx", 1},  // a line comment, the next line counts
      {"x // comment y z", 1},
      {"#include lib.lua", 0},
      {"x=1 #include y z w", 3},
      {"end local ; , . : ] } ) ::", 0},
      {"( [ {", 3},
      {"true false nil", 3},
      {"return -1", 2},
      {"x = - 1", 4},             // the sign is not next to the number
      {"x=~1", 3},
      {"~1", 2},                  // at the start no token allows the sign
      {"if -1 then", 3},
      {"a = \"s -- not a comment\" .. 'q' .. [[long\nstring]]", 7},
      {"0x1f.8 + 0b101 + .5", 5},
      {"1..2", 1},                // digits and dots are one number
      {"f(...)", 3},
      {"a != b", 3},
      {"a >>> b >>< c <<> d >> e << f ^^ g", 13},
      {"::label:: goto label", 3},
      {"\"a\\\"b\" x", 2},          // the escaped quote stays in the string
      {"", 0},
  };
  // clang-format on
  for (const count_case& c : cases) EXPECT_EQ(count_tokens(c.text), c.tokens) << c.text;
}

TEST(TokenRead, KeywordsAndTheirIds) {
  const struct {
    const char* text;
    int32_t id;
    // clang-format off
  } cases[] = {
      {"function", TOVO_TOK_FUNCTION}, {"end", TOVO_TOK_END},       {"for", TOVO_TOK_FOR},
      {"if", TOVO_TOK_IF},             {"then", TOVO_TOK_THEN},     {"else", TOVO_TOK_ELSE},
      {"elseif", TOVO_TOK_ELSEIF},     {"while", TOVO_TOK_WHILE},   {"do", TOVO_TOK_DO},
      {"in", TOVO_TOK_IN},             {"local", TOVO_TOK_LOCAL},   {"return", TOVO_TOK_RETURN},
      {"repeat", TOVO_TOK_REPEAT},     {"until", TOVO_TOK_UNTIL},   {"goto", TOVO_TOK_GOTO},
      {"break", TOVO_TOK_BREAK},       {"not", TOVO_TOK_NOT},       {"and", TOVO_TOK_AND},
      {"or", TOVO_TOK_OR},             {"true", TOVO_TOK_CONSTANT}, {"false", TOVO_TOK_CONSTANT},
      {"nil", TOVO_TOK_CONSTANT},      {"foreach", TOVO_TOK_API_NAME}, {"all", TOVO_TOK_API_NAME},
      {"menuitem", TOVO_TOK_API_NAME}, {"pairs", TOVO_TOK_API_NAME}, {"ipairs", TOVO_TOK_API_NAME},
      {"spr", TOVO_TOK_API_NAME},      {"set_draw_slice", TOVO_TOK_API_NAME},
      {"ends", TOVO_TOK_NAME},         {"en", TOVO_TOK_NAME},       {"_init", TOVO_TOK_NAME},
      {"setmetatablexyz", TOVO_TOK_NAME},                 // 15 characters, not in the table
      {"a_name_longer_than_fifteen", TOVO_TOK_NAME},
      {"\x80\x81z9", TOVO_TOK_NAME},   // glyph characters start names
      {"\x1e" "a", TOVO_TOK_NAME},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(single_id(c.text), c.id) << c.text;
}

TEST(TokenRead, EveryApiNameIsInTheTable) {
  // The table takes the API name list as it stands when it is built.
  init_keyword_hash_table();
  ASSERT_GT(tovo_api_function_name_count(), 100);
  for (int i = 0; i < tovo_api_function_name_count(); i++) {
    const char* name = tovo_api_function_name(i);
    EXPECT_EQ(single_id(name), TOVO_TOK_API_NAME) << name;
  }
  EXPECT_EQ(tovo_api_function_name(-1), nullptr);
  EXPECT_EQ(tovo_api_function_name(tovo_api_function_name_count()), nullptr);
}

TEST(TokenRead, NamesAfterAnAccessorAreNotLookedUp) {
  const std::vector<read_token> t = read_all("a.end b:spr c. \n -- x\n if");
  ASSERT_EQ(t.size(), 12u);
  EXPECT_EQ(t[2].id, TOVO_TOK_NAME);   // end after "."
  EXPECT_EQ(t[5].id, TOVO_TOK_NAME);   // spr after ":"
  EXPECT_EQ(t[11].id, TOVO_TOK_NAME);  // if after ".", a newline and a comment between
}

TEST(TokenRead, OperatorsTakeTheLongestMatch) {
  const struct {
    const char* text;
    std::vector<int32_t> ids;
    // clang-format off
  } cases[] = {
      {"...", {TOVO_TOK_DOTS}},
      {"..=", {TOVO_TOK_OP_ASSIGN}},
      {"..", {TOVO_TOK_CONCAT}},
      {"::", {TOVO_TOK_LABEL}},
      {"<=", {TOVO_TOK_LE}},
      {">=", {TOVO_TOK_GE}},
      {"~=", {TOVO_TOK_NE}},
      {"!=", {TOVO_TOK_NE}},
      {"==", {TOVO_TOK_EQ}},
      {"+= -= *= /= %= &= |= \\=", std::vector<int32_t>(8, TOVO_TOK_OP_ASSIGN)},
      {"<<= >>= ^^= >>>=", std::vector<int32_t>(4, TOVO_TOK_OP_ASSIGN)},
      {">>>", {TOVO_TOK_LSHR}},
      {">><", {TOVO_TOK_ROTR}},
      {">>", {TOVO_TOK_SHR}},
      {"<<>", {TOVO_TOK_ROTL}},
      {"<<", {TOVO_TOK_SHL}},
      {"^^", {TOVO_TOK_XOR}},
      {"^=", {'^', '='}},
      {".=", {'.', '='}},
      {":=", {':', '='}},
      {"//= x", {TOVO_TOK_COMMENT}},
      {"<<<", {TOVO_TOK_SHL, '<'}},
      {"#include x y", {TOVO_TOK_INCLUDE}},
      {"#includes", {'#', TOVO_TOK_NAME}},
      {"\n", {TOVO_TOK_NEWLINE}},
      {"@$%", {'@', '$', '%'}},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<int32_t> ids;
    for (const read_token& t : read_all(c.text)) ids.push_back(t.id);
    EXPECT_EQ(ids, c.ids) << c.text;
  }
}

TEST(TokenRead, StringsCommentsAndNumbersKeepTheirExtent) {
  const struct {
    const char* text;
    const char* first;
    // clang-format off
  } cases[] = {
      {"\"abc\" x", "\"abc\""},
      {"'a\\'b' x", "'a\\'b'"},
      {"\"unclosed\nx", "\"unclosed"},          // a quoted string ends at the line end
      {"\"a\\\nb\" x", "\"a\\\nb\""},             // an escaped newline stays inside
      {"\"ends in a backslash\\", "\"ends in a backslash\\"},  // never reads past the end
      {"[[a [[b]] c]] x", "[[a [[b]] c]]"},      // nested pairs are counted
      {"[[never closed\n x", "[[never closed\n x"},
      {"--[[a [[b]] c]] x", "--[[a [[b]] c]]"},
      {"--[[open\nx", "--[[open"},
      {"-- line\nx", "-- line"},
      {"0x1F.8g", "0x1F.8"},
      {"0b1012", "0b101"},
      {"12.5.6x", "12.5.6"},
      {".5x", ".5"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::vector<read_token> t = read_all(c.text);
    ASSERT_FALSE(t.empty()) << c.text;
    EXPECT_EQ(t[0].text, c.first) << c.text;
  }
}

TEST(TokenRead, SignJoinsTheNumberOnlyAfterTheListedTokens) {
  const char* joined[] = {
      "(",  "{",  "[",  ",",  "?", "~",  "*",   "/",   "+",  "-",  "^",      "%",     "<",     ">",
      "<=", ">=", "~=", "==", "=", "+=", "not", "and", "or", "if", "elseif", "while", "until", "return"};
  for (const char* before : joined) {
    for (const char* number : {"-1", "~2", "-.5"}) {
      const std::string text = std::string(before) + " " + number;
      const std::vector<read_token> t = read_all(text.c_str());
      ASSERT_EQ(t.size(), 2u) << text;
      EXPECT_EQ(t[1].id, TOVO_TOK_NUMBER) << text;
      EXPECT_EQ(t[1].text, number) << text;
    }
  }
  for (const char* before : {"x", "1", ")", "]", "}", "\"s\"", "end", "then", "do", ".."}) {
    const std::string text = std::string(before) + " -1";
    EXPECT_EQ(read_all(text.c_str()).size(), 3u) << text;
  }
}

TEST(TokenRead, AlwaysAdvances) {
  std::string all_bytes;
  for (int c = 1; c < 256; c++) all_bytes += static_cast<char>(c);
  tovo_token_state ts;
  const char* p = get_first_token(&ts, all_bytes.c_str());
  int steps = 0;
  while (ts.token != TOVO_TOK_END_OF_TEXT) {
    const char* next = get_next_token(&ts, p);
    if (ts.token != TOVO_TOK_END_OF_TEXT) {
      ASSERT_GT(next, p);
    }
    p = next;
    steps++;
  }
  EXPECT_LT(steps, 256);
}

TEST(TokenColor, FollowsTheTokenClass) {
  const struct {
    const char* text;
    int color;
    // clang-format off
  } cases[] = {
      {"-- c", 13},     {"\"s\"", 12}, {"[[s]]", 12}, {"12", 12},      {"nil", 12},
      {"true", 12},     {"function", 14}, {"end", 14}, {"break", 14},  {"spr", 11},
      {"foreach", 11},  {"#include x", 9}, {"and", 7}, {"+", 7},       {"<=", 7},
      {"^^", 7},        {"(", 7},      {"x", 6},       {"\n", 6},
  };
  // clang-format on
  for (const auto& c : cases) {
    tovo_token_state ts;
    get_first_token(&ts, c.text);
    EXPECT_EQ(get_token_color(&ts), c.color) << c.text;
  }
}

// The reading state field by field, as a token is read and then the next.
TEST(TokenColour, StateReadersFollowTheReading) {
  const char* text = "x = 12 -- c\ny";
  tovo_token_state ts;
  const char* p = get_first_token(&ts, text);
  EXPECT_EQ(get_token(&ts), TOVO_TOK_NAME);
  EXPECT_EQ(get_token_ident(&ts), text);
  p = get_next_token(&ts, p);
  p = get_next_token(&ts, p);
  EXPECT_EQ(get_token(&ts), TOVO_TOK_NUMBER);
  EXPECT_EQ(get_token_ident(&ts), text + 4);
  EXPECT_EQ(get_last_token(&ts), '=');
  p = get_next_token(&ts, p);
  EXPECT_EQ(get_token(&ts), TOVO_TOK_COMMENT);
  p = get_next_token(&ts, p);
  get_next_token(&ts, p);
  EXPECT_EQ(get_token(&ts), TOVO_TOK_NAME);
  EXPECT_EQ(get_last_token(&ts), TOVO_TOK_NUMBER);  // comments and newlines do not replace it
}

TEST(TokenFree, TheFreeTokenRule) {
  const int32_t free_ids[] = {')',
                              ',',
                              '.',
                              ':',
                              ';',
                              ']',
                              '}',
                              TOVO_TOK_END,
                              TOVO_TOK_LOCAL,
                              TOVO_TOK_LABEL,
                              TOVO_TOK_COMMENT,
                              TOVO_TOK_INCLUDE,
                              TOVO_TOK_NEWLINE,
                              TOVO_TOK_END_OF_TEXT};
  const int32_t counted_ids[] = {'(',
                                 '[',
                                 '{',
                                 TOVO_TOK_NAME,
                                 TOVO_TOK_FUNCTION,
                                 TOVO_TOK_STRING,
                                 TOVO_TOK_NUMBER,
                                 TOVO_TOK_DOTS,
                                 TOVO_TOK_API_NAME};
  for (int32_t id : free_ids) EXPECT_TRUE(is_free_token(id)) << id;
  for (int32_t id : counted_ids) EXPECT_FALSE(is_free_token(id)) << id;
}

TEST(TokenApiNames, ListIsBoundedAndClearable) {
  init_api_function_names();
  EXPECT_EQ(tovo_api_function_name_count(), 0);
  const std::string long_name(200, 'n');
  add_api_function_name(long_name.c_str());
  EXPECT_EQ(std::string(tovo_api_function_name(0)), long_name.substr(0, TOVO_API_NAME_SIZE - 1));
  for (int i = 0; i < TOVO_API_NAMES_MAX + 10; i++) add_api_function_name("x");
  EXPECT_EQ(tovo_api_function_name_count(), TOVO_API_NAMES_MAX);
  tovo_add_api_names();
  EXPECT_EQ(tovo_api_function_name_count(), 110);
  EXPECT_STREQ(tovo_api_function_name(0), "deli");
}

TEST(TokenKeywordTableDeathTest, CollisionEndsTheProgram) {
  init_keyword_hash_table();
  // The engine's fatal error: the message goes to standard output and the
  // log, and the status is a failure.
  EXPECT_EXIT(add_to_keyword_hash_table("end", TOVO_TOK_END), testing::ExitedWithCode(1), "");
}

}  // namespace
