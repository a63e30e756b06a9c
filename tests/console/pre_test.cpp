// The preprocessor's rewrite rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/run/pre.h"
#include "console/run/pstrstr.h"
#include "console/run/token.h"

namespace {

std::string preprocess(const std::string& in, int32_t size = TOVO_PRE_OUT_SIZE, tovo_text_result* result = nullptr) {
  std::vector<char> out(static_cast<size_t>(size > 0 ? size : 1), 'x');
  tovo_text_result r;
  tovo_preprocess(in.c_str(), out.data(), size, result ? result : &r);
  return size > 0 ? std::string(out.data()) : std::string();
}

// The tokens of a text, newlines included: outputs are compared blanks aside.
std::vector<std::string> tokens_of(const std::string& text) {
  std::vector<std::string> tokens;
  tovo_token_state ts;
  const char* p = get_first_token(&ts, text.c_str());
  while (ts.token != TOVO_TOK_END_OF_TEXT) {
    tokens.emplace_back(ts.ident, static_cast<size_t>(ts.ident_len));
    p = get_next_token(&ts, p);
  }
  return tokens;
}

std::string joined(const std::vector<std::string>& tokens) {
  std::string s;
  // clang-format off
  for (const std::string& t : tokens) s += (s.empty() ? "" : " ") + t;
  // clang-format on
  return s;
}

struct rewrite_case {
  const char* in;
  const char* out;  // blanks aside
};

void check(const rewrite_case& c) {
  EXPECT_EQ(joined(tokens_of(preprocess(c.in))), joined(tokens_of(c.out))) << "input: " << c.in;
}

TEST(Preprocess, PrintAndNotEqual) {
  const rewrite_case cases[] = {
      {"?x", "print(x)"},
      {"?\"hi\", 1", "print(\"hi\", 1)"},
      {"if (a) ?b", "if (a) then print(b) end"},
      {"a != b", "a ~= b"},
      {"if a != b and c != d then", "if a ~= b and c ~= d then"},
  };
  for (const rewrite_case& c : cases) check(c);
  EXPECT_EQ(preprocess("?x"), " print(x)");
  EXPECT_EQ(preprocess("s = \"a != b ?\" != t"), "s = \"a != b ?\" ~= t");
}

TEST(Preprocess, EveryCompoundOperator) {
  const char* ops[] = {"+", "-", "*", "/", "%", "\\", "&", "|", "^^", "<<>", ">><", "<<", ">>>", ">>", "^", ".."};
  for (const char* op : ops) {
    const std::string in = std::string("x ") + op + "= y";
    const std::string out = std::string("x = x ") + op + " (y)";
    check({in.c_str(), out.c_str()});
  }
}

TEST(Preprocess, CompoundAssignmentExtents) {
  const rewrite_case cases[] = {
      {"x += 1", "x = x + (1)"},
      {"x+=1", "x = x + (1)"},
      {"a.b[i] ..= s t = 2", "a.b[i] = a.b[i] .. (s) t = 2"},
      {"f(x).y *= 2", "f(x).y = f(x).y * (2)"},
      {"a[1][2] -= 3", "a[1][2] = a[1][2] - (3)"},
      {"f(x)[i] += 1", "f(x)[i] = f(x)[i] + (1)"},
      {"t[\"]\"] += 1", "t[\"]\"] = t[\"]\"] + (1)"},  // brackets in strings do not count
      {"x += a * (b + c) y = 1", "x = x + (a * (b + c)) y = 1"},
      {"x += f(1)[2].z - #t", "x = x + (f(1)[2].z - #t)"},
      {"x -= -1", "x = x - (-1)"},
      {"x += not y and z", "x = x + (not y and z)"},
      {"x += y end", "x = x + (y) end"},
      {"x += 1; y = 2", "x = x + (1); y = 2"},
      {"x += a, b", "x = x + (a), b"},
      {"f(a += 1)", "f(a = a + (1))"},
      {"x += 1 y += 2", "x = x + (1) y = y + (2)"},
      {"x -= 1 y += 2", "x = x - (1) y = y + (2)"},
      {"p.x += p.dx * 2", "p.x = p.x + (p.dx * 2)"},
      {"t[i] += @a + $b", "t[i] = t[i] + (@a + $b)"},
      {"if c then x += 1 end", "if c then x = x + (1) end"},
      {"9x += 1", "9 x = x + (1)"},                 // a left-hand side starts with a name byte
      {"::_::g+=r(.01)", "::_::g = g + (r(.01))"},  // a label's "::" ends the left-hand side
      {"::a::x-=1 ::b::y*=2", "::a::x = x - (1) ::b::y = y * (2)"},
      {"+= 1", "+= 1"},  // at the line start: left alone
      {"y=1\n+= 1 x += 2", "y=1\n+= 1 x += 2"},
  };
  for (const rewrite_case& c : cases) check(c);
}

TEST(Preprocess, OneLineIfAndWhile) {
  const rewrite_case cases[] = {
      {"if (x) y = 1", "if (x) then y = 1 end"},
      {"if(x)y=1", "if(x) then y=1 end"},
      {"if (x) and y then z() end", "if (x) and y then z() end"},
      {"if (x) or y", "if (x) or y"},
      {"if (x) then y() end", "if (x) then y() end"},
      {"gif (x) y=1", "gif (x) y=1"},  // "if " inside a name blocks the line
      {"elseif (x) y=1", "elseif (x) y=1"},
      {"while (i < 5) i += 1", "while (i < 5) do i = i + (1) end"},
      {"while(x)y()", "while(x) do y() end"},
      {"while (x) do y() end", "while (x) do y() end"},
      {"if (f(\")\")) y = 1", "if (f(\")\")) then y = 1 end"},  // ")" in a string ignored
      {"if (a) ; b()", "if (a) then ; b() end"},
      {"if (a) b() else c()", "if (a) then b() else c() end"},
      {"x = 1 if (a) y = 2", "x = 1 if (a) then y = 2 end"},
      {"if (a)", "if (a)"},                                                        // nothing follows
      {"if (a) .5", "if (a) .5"},                                                  // not a name or ";"
      {"if (a b = 1", "if (a b = 1"},                                              // unbalanced: left as it is
      {"if (a) x += 1 if (b) y = 2", "if (a) then x = x + (1) if (b) y = 2 end"},  // one per line
      {"s = \"if (x) y\"", "s = \"if (x) y\""},
  };
  for (const rewrite_case& c : cases) check(c);
}

TEST(Preprocess, CommentsGoAndNewlinesStay) {
  EXPECT_EQ(tokens_of(preprocess("x += 1 -- add\ny = 2")), tokens_of("x = x + (1)\ny = 2"));
  EXPECT_EQ(tokens_of(preprocess("a = 1 // note\nb = 2")), tokens_of("a = 1\nb = 2"));
  // A long comment joins the code around it; its newlines follow the line.
  EXPECT_EQ(preprocess("a = --[[ one\ntwo ]] 5\nb"), "a =  5 \n\nb");
  // A dropped comment still keeps two tokens apart.
  EXPECT_EQ(tokens_of(preprocess("a--[[c]]b")), tokens_of("a b"));
  EXPECT_EQ(preprocess("\n\n-- only\n\n"), "\n\n\n\n");
}

TEST(Preprocess, StringsAndNumbers) {
  // A string's bytes are never touched, whatever rule they look like.
  const std::string strings = "s = \"x += 1 ?y if (a) b != c -- no\" .. [[\n?z\n]] .. 'w'";
  EXPECT_EQ(preprocess(strings), strings);
  EXPECT_EQ(preprocess("x=1"), "x=1 ");  // a number is followed by a blank
  EXPECT_EQ(preprocess("x=0x1f+-2"), "x=0x1f +-2 ");
}

TEST(Preprocess, MultiLineStringInAnAssignedTargetIsNotCopied) {
  // Copying the target would add a line; the operator stays for the compiler.
  const std::string in = "t[\"a\\\nb\"] += 1\nx += 1";
  const std::string out = preprocess(in);
  EXPECT_EQ(out.find("t[\"a\\\nb\"] += 1 "), 0u) << out;
  EXPECT_EQ(tokens_of(out.substr(out.rfind('\n') + 1)), tokens_of("x = x + (1)"));
}

TEST(Preprocess, TextThatWouldNotFitIsRefused) {
  tovo_text_result r;
  EXPECT_EQ(preprocess("x += 1", 8, &r), "");
  EXPECT_EQ(r.status, 1);
  EXPECT_STREQ(r.message, "program too large");
  EXPECT_EQ(preprocess("x = 1", 7, &r), "x = 1 ");  // exactly fits with its NUL
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(preprocess("x = 1", 6, &r), "");
  EXPECT_EQ(r.status, 1);
  preprocess("x", 0, &r);
  EXPECT_EQ(r.status, 1);

  // Nested targets double at every level: refused, not cut short.
  std::string nested = "x";
  for (int i = 0; i < 24; i++) nested = "a[" + nested + "+=1]";
  nested += "+=1";
  EXPECT_EQ(preprocess(nested, TOVO_PRE_OUT_SIZE, &r), "");
  EXPECT_EQ(r.status, 1);
  EXPECT_STREQ(r.message, "program too large");
}

TEST(Preprocess, EightThousandCompoundAssignmentsOnOneLine) {
  std::string in;
  for (int i = 0; i < 8192; i++) in += "a+=1 ";
  // 24576 tokens: the first segment ends after the "a" of the 5462nd statement,
  // so the second segment starts with "+=", which is then left alone all
  // through that segment.
  std::string expected;
  for (int i = 0; i < 5461; i++) expected += "a = a + (1) ";
  expected += "a +=1";
  for (int i = 5462; i < 8192; i++) expected += " a+=1";
  tovo_text_result r;
  EXPECT_EQ(tokens_of(preprocess(in, TOVO_PRE_OUT_SIZE, &r)), tokens_of(expected));
  EXPECT_EQ(r.status, 0);
}

// n empty statements: one token each.
std::string fill(int n) { return std::string(static_cast<size_t>(n), ';'); }

// The tokens of a text that count towards a segment: comments and newlines not.
size_t code_tokens(const std::string& text) {
  size_t n = 0;
  tovo_token_state ts;
  const char* p = get_first_token(&ts, text.c_str());
  while (ts.token != TOVO_TOK_END_OF_TEXT) {
    n += ts.token != TOVO_TOK_COMMENT && ts.token != TOVO_TOK_NEWLINE;
    p = get_next_token(&ts, p);
  }
  return n;
}

TEST(Preprocess, LongLinesAreRewrittenInSegments) {
  struct segment_case {
    std::string head;      // the first segment: TOVO_PRE_SEGMENT_TOKENS tokens
    std::string tail;      // the rest of the line
    const char* tail_out;  // the tail rewritten as a line of its own, blanks aside
  };
  const int32_t n = TOVO_PRE_SEGMENT_TOKENS;
  const segment_case cases[] = {
      // The print is closed at the end of its segment.
      {"?x" + fill(n - 2), ";", ";"},
      // The right-hand side ends at the cut; the tail follows it.
      {fill(n - 3) + "x*=2", "+1", "+1"},
      // A tail that starts with the operator leaves every one of it alone.
      {fill(n - 1) + "x", "+=1 y+=2", "+=1 y+=2"},
      // Each segment has a one-line if of its own.
      {"if (a) b=1" + fill(n - 7), "if (c) d=2", "if (c) then d=2 end"},
      // The newlines of a comment stay with the segment that holds it.
      {fill(n - 1) + "--[[a\nb]] x", " y=1\nz=2", "y=1\nz=2"},
  };
  for (const segment_case& c : cases) {
    ASSERT_EQ(code_tokens(c.head), static_cast<size_t>(n));
    EXPECT_EQ(preprocess(c.head + c.tail), preprocess(c.head) + preprocess(c.tail)) << c.tail;
    check({c.tail.c_str(), c.tail_out});
  }
  // Spelt out: "?x" and 16382 empty statements, then one more.
  EXPECT_EQ(preprocess("?x" + fill(n - 2) + ";"), " print(x" + fill(n - 2) + ");");
  EXPECT_EQ(tokens_of(preprocess(fill(n - 3) + "x*=2+1")), tokens_of(fill(n - 3) + "x = x * (2) + 1"));
  EXPECT_EQ(tokens_of(preprocess("if (a) b=1" + fill(n - 7) + "if (c) d=2")),
            tokens_of("if (a) then b=1" + fill(n - 7) + " end if (c) then d=2 end"));
  EXPECT_EQ(preprocess(fill(n - 1) + "--[[a\nb]] x y=1\nz=2"), fill(n - 1) + "  x\n y=1 \nz=2 ");
  // A line of exactly one segment is not cut, nor is one that only its
  // comments make longer.
  EXPECT_EQ(preprocess("?x" + fill(n - 2)), " print(x" + fill(n - 2) + ")");
  EXPECT_EQ(preprocess("?x--[[c]]" + fill(n - 2)), " print(x " + fill(n - 2) + ")");
  EXPECT_EQ(preprocess("?x" + fill(n - 3) + "--c\n;"), " print(x" + fill(n - 3) + " )\n;");
  EXPECT_EQ(tokens_of(preprocess(fill(n - 5) + "x*=2+1")), tokens_of(fill(n - 5) + "x = x * (2+1)"));
}

// The search that skips strings: the mask marks string bytes with 1.
TEST(Preprocess, SearchSkipsMatchesThatTouchAString) {
  struct search_case {
    const char* text;
    const char* mask;  // '1' for a string byte
    const char* pattern;
    int at;  // -1: none
  };
  const search_case cases[] = {
      {"a != b", "000000", "!=", 2},
      {"s=\"!=\" != t", "00111100000", "!=", 7},  // the first lies inside the string
      {"s=\"!=\"", "001111", "!=", -1},
      {"x=\"a\"+=1", "00111000", "\"+=", -1},  // touches the string's last byte
      {"x=\"a\"+=1", "00111000", "+=", 5},
      {"abc", "000", "abd", -1},
      {"abc", "111", "", 0},
  };
  for (const search_case& c : cases) {
    std::vector<uint8_t> mask;
    for (const char* m = c.mask; *m; m++) mask.push_back(*m == '1');
    ASSERT_EQ(mask.size(), std::string(c.text).size()) << c.text;
    const char* hit = pstrstr(c.text, c.pattern, mask.data());
    EXPECT_EQ(hit ? static_cast<int>(hit - c.text) : -1, c.at) << c.text << " / " << c.pattern;
  }
}

TEST(Preprocess, EveryLineIsProcessedHoweverMany) {
  const std::string in = std::string(70000, '\n') + "x+=1";
  const std::string out = preprocess(in);
  EXPECT_EQ(out.size(), 70000 + std::string("x = x + (1 ) ").size());
  EXPECT_EQ(tokens_of(out.substr(70000)), tokens_of("x = x + (1)"));
}

}  // namespace
