// The lexer: token streams, operators, names with glyph bytes, escapes,
// numerals and the exact lexical error messages.
#include <string>
#include <vector>

#include "script/compiler/lex.h"
#include "tests/script/compile_util.h"
#include "tests/script/runtime_fixture.h"

namespace {

class LexTest : public RuntimeTest {
 protected:
  std::vector<int> tokens(const std::string& text) {
    std::vector<scanned_token> out;
    std::string error;
    EXPECT_EQ(scan_text(L, text, &out, &error), LUA_OK) << error;
    std::vector<int> codes;
    for (const auto& t : out) codes.push_back(t.token);
    return codes;
  }
  scanned_token only(const std::string& text) {
    std::vector<scanned_token> out;
    std::string error;
    EXPECT_EQ(scan_text(L, text, &out, &error), LUA_OK) << error;
    EXPECT_EQ(out.size(), 1u) << text;
    return out.empty() ? scanned_token{0, 0, ""} : out[0];
  }
  std::string error_of(const std::string& text) {
    std::vector<scanned_token> out;
    std::string error;
    EXPECT_EQ(scan_text(L, text, &out, &error), LUA_ERRSYNTAX) << text;
    return error;
  }
};

constexpr lua_Number N(int n) { return static_cast<lua_Number>(static_cast<uint32_t>(n) << 16); }

TEST_F(LexTest, TokenNumbersAreFixed) {
  EXPECT_EQ(TK_AND, 257);
  EXPECT_EQ(TK_WHILE, 278);
  EXPECT_EQ(TK_CONCAT, 279);
  EXPECT_EQ(TK_DBCOLON, 285);
  EXPECT_EQ(TK_EOS, 286);
  EXPECT_EQ(TK_SHL, 290);
  EXPECT_EQ(TK_BXOR, 295);
}

TEST_F(LexTest, OperatorStreams) {
  struct Case {
    const char* text;
    std::vector<int> expected;
    // clang-format off
  } cases[] = {
      {"a<<>b", {TK_NAME, TK_ROTL, TK_NAME}},
      {"x>>>=1", {TK_NAME, TK_LSHR, '=', TK_NUMBER}},
      {"a>><b", {TK_NAME, TK_ROTR, TK_NAME}},
      {"a<<b>>c", {TK_NAME, TK_SHL, TK_NAME, TK_SHR, TK_NAME}},
      {"<<=", {TK_SHL, '='}},
      {">>=", {TK_SHR, '='}},
      {"<>", {'<', '>'}},
      {"^^=", {TK_BXOR, '='}},
      {"^ ^", {'^', '^'}},
      {"~", {'~'}},
      {"~=", {TK_NE}},
      {"!=", {'!', '='}},
      {"== >= <= :: : ..  ...", {TK_EQ, TK_GE, TK_LE, TK_DBCOLON, ':', TK_CONCAT, TK_DOTS}},
      {"\\ & | @ $ % # ? \x7f", {'\\', '&', '|', '@', '$', '%', '#', '?', 0x7f}},
      {"1 .. 2", {TK_NUMBER, TK_CONCAT, TK_NUMBER}},
      {"a.b", {TK_NAME, '.', TK_NAME}},
      {"and break do else elseif end false for function goto if in local nil not or repeat return then true until while",
       {TK_AND, TK_BREAK, TK_DO, TK_ELSE, TK_ELSEIF, TK_END, TK_FALSE, TK_FOR, TK_FUNCTION, TK_GOTO, TK_IF, TK_IN,
        TK_LOCAL, TK_NIL, TK_NOT, TK_OR, TK_REPEAT, TK_RETURN, TK_THEN, TK_TRUE, TK_UNTIL, TK_WHILE}},
      {"-- comment\nx --[[ long\ncomment ]] y --[==[ ]] ]==] z", {TK_NAME, TK_NAME, TK_NAME}},
      {"a - -b", {TK_NAME, '-', '-', TK_NAME}},
      {"[[x]] [=[y]=] [ [", {TK_STRING, TK_STRING, '[', '['}},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(tokens(c.text), c.expected) << c.text;
}

TEST_F(LexTest, NamesTakeGlyphBytes) {
  struct Case {
    std::string text;
    std::string name;
    // clang-format off
  } cases[] = {
      {"\x80", "\x80"},
      {"\xff" "9", "\xff" "9"},
      {"\x1e" "a\x1f", "\x1e" "a\x1f"},
      {"_x1\x9a", "_x1\x9a"},
      {"endx", "endx"},
  };
  // clang-format on
  for (const auto& c : cases) {
    scanned_token t = only(c.text);
    EXPECT_EQ(t.token, TK_NAME) << c.text;
    EXPECT_EQ(t.text, c.name);
  }
  // 0x7f is never part of a name; a name ends at the end of input.
  // clang-format off
  EXPECT_EQ(tokens("ab\x7f" "cd"), (std::vector<int>{TK_NAME, 0x7f, TK_NAME}));
  // clang-format on
  // A long name (not interned) is a name too, never a reserved word.
  EXPECT_EQ(only(std::string(60, 'w')).token, TK_NAME);
}

TEST_F(LexTest, StringEscapes) {
  struct Case {
    std::string text;
    std::string value;
    // clang-format off
  } cases[] = {
      {"'\\*\\#\\-\\|\\+\\^'", std::string("\x01\x02\x03\x04\x05\x06", 6)},
      {"\"\\a\\b\\f\\n\\r\\t\\v\"", "\a\b\f\n\r\t\v"},
      {"'\\\\\\\"\\''", "\\\"'"},
      {"'\\x41\\x6a'", "Aj"},
      {"'\\65\\0066\\255'", std::string("A\x06" "6\xff", 4)},
      {"'a\\z  \n\t b'", "ab"},
      {"'a\\\nb'", "a\nb"},
      {"'a\\\r\nb'", "a\nb"},
      {"[[\nfirst\r\nsecond]]", "first\nsecond"},
      {"[==[a]]b]==]", "a]]b"},
      {"''", ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    scanned_token t = only(c.text);
    EXPECT_EQ(t.token, TK_STRING) << c.text;
    EXPECT_EQ(t.text, c.value) << c.text;
  }
}

TEST_F(LexTest, LinesCountBreakPairsOnce) {
  std::vector<scanned_token> out;
  std::string error;
  // CR LF, LF CR, and a lone CR are one break each: the error is on line 4.
  EXPECT_EQ(scan_text(L, "a\r\nb\n\rc\rd 'x", &out, &error), LUA_ERRSYNTAX);
  EXPECT_EQ(error, "scan:4: unfinished string near <eof>");
}

TEST_F(LexTest, Numerals) {
  struct Case {
    const char* text;
    lua_Number value;
    // clang-format off
  } cases[] = {
      {"12", N(12)},
      {"0x10", N(16)},
      {"0b101", N(5)},
      {"0b1011", N(11)},
      {".5", 0x8000},
      {"3.", N(3)},
      {"1e2", N(100)},
      {"2E-1", 13107},
      {"0x.8", 0x8000},
      {"0xffff.ffff", static_cast<lua_Number>(0xffffffffu)},
      {"32768", static_cast<lua_Number>(0x80000000u)},
  };
  // clang-format on
  for (const auto& c : cases) {
    scanned_token t = only(c.text);
    EXPECT_EQ(t.token, TK_NUMBER) << c.text;
    EXPECT_EQ(t.number, c.value) << c.text;
  }
}

TEST_F(LexTest, ErrorMessages) {
  struct Case {
    std::string text;
    const char* message;
    // clang-format off
  } cases[] = {
      {"x = 'abc", "scan:1: unfinished string near <eof>"},
      {"x = 'abc\ny'", "scan:1: unfinished string near ''abc'"},
      {"x = [[abc", "scan:1: unfinished long string near <eof>"},
      {"--[[abc\n\n", "scan:3: unfinished long comment near <eof>"},
      {"[==x", "scan:1: invalid long string delimiter near '[=='"},
      {"'\\q'", "scan:1: invalid escape sequence near '\\q'"},
      {"'\\x5g'", "scan:1: hexadecimal digit expected near '\\x5g'"},
      {"'\\x4'", "scan:1: hexadecimal digit expected near '\\x4''"},
      {"'\\256'", "scan:1: decimal escape too large near '\\256'"},
      {"'abc\\", "scan:1: unfinished string near <eof>"},
      {"1..2", "scan:1: malformed number near '1..2'"},
      {"0x1p4", "scan:1: malformed number near '0x1p4'"},
      {"3e", "scan:1: malformed number near '3e'"},
      {"0xg", "scan:1: malformed number near '0x'"},
      {"\n\n\n\n\n\n\n\n\n\n\n'\\q'", "scan:12: invalid escape sequence near '\\q'"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(error_of(c.text), c.message) << c.text;
}

TEST_F(LexTest, TokenDisplayTexts) {
  struct Case {
    int token;
    const char* text;
    // clang-format off
  } cases[] = {
      {'+', "'+'"}, {1, "'\x01'"}, {TK_AND, "'and'"}, {TK_DBCOLON, "'::'"}, {TK_EOS, "<eof>"},
      {TK_NUMBER, "<number>"}, {TK_NAME, "<name>"}, {TK_STRING, "<string>"}, {TK_SHL, "'<<'"},
      {TK_ROTR, "'>><'"}, {TK_BXOR, "'^^'"},
  };
  // clang-format on
  LexState ls;
  ls.L = L;
  for (const auto& c : cases) {
    EXPECT_STREQ(luaX_token2str(&ls, c.token), c.text);
    L->top--;
  }
}

}  // namespace
