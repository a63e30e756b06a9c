// The parser: statement forms, priorities in the code they give, the
// statement line record, and every message with its line and code tab.
#include <string>

#include "script/compiler/parse.h"
#include "tests/script/compile_util.h"
#include "tests/script/console_double.h"
#include "tests/script/runtime_fixture.h"

namespace {

class ParseTest : public RuntimeTest {
 protected:
  void TearDown() override {
    tovo_test::clear_tabs();
    RuntimeTest::TearDown();
  }
  std::string error_of(const std::string& text) {
    EXPECT_EQ(compile_text(L, text), LUA_ERRSYNTAX) << text;
    std::string out = top_text(L);
    L->top--;
    return out;
  }
  void compiles(const std::string& text) {
    EXPECT_EQ(compile_text(L, text), LUA_OK) << top_text(L);
    L->top--;
  }
};

TEST_F(ParseTest, EveryStatementForm) {
  compiles(
      "local a, b = 1, 2\n"
      "local function f(x, ...) return x, ... end\n"
      "function t.u.v:w(p) return self, p end\n"
      "function g() end\n"
      "if a then b = 1 elseif b then a = 2 else a = 3 end\n"
      "while a do if b then break end end\n"
      "repeat local z = 1 until z\n"
      "for i = 1, 10, 2 do end\n"
      "for k, v in pairs(t) do end\n"
      "do local q = function() return q end end\n"
      "goto skip\n"
      "::skip:: ;;\n"
      "a, b = b, a\n"
      "t[1], t.x = f'a', f{1, 2; x = 3, [4] = 5}\n"
      "f(...)\n"
      "if a then goto skip2 end ::skip2::\n"
      "return a\n");
}

TEST_F(ParseTest, LastLineNumberIsTheInnermostStatement) {
  EXPECT_EQ(error_of("a = 1\nb = 2\nx = = 1\n"), "test:3: unexpected symbol near '='");
  EXPECT_EQ(tovo_last_line_number(L), 3);
  error_of("if a then\n  while b do\n    c(\n  end\nend\n");
  EXPECT_EQ(tovo_last_line_number(L), 3);
  // A statement whose first token ends on a later line records that line.
  error_of("\n\n[[a\nb]] = 1");
  EXPECT_EQ(tovo_last_line_number(L), 4);
}

TEST_F(ParseTest, MessagesWithoutLines) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"x = !a", "test:1: unexpected symbol near '!'"},
      {"x != 1", "test:1: syntax error near '!'"},
      {"x += 1", "test:1: syntax error near '+'"},
      {"a + 1", "test:1: syntax error near '+'"},
      {"f() = 1", "test:1: syntax error near '='"},
      {"function f() return ... end", "test:1: cannot use '...' outside a vararg function near '...'"},
      {"for a x", "test:1: '=' or 'in' expected near 'x'"},
      {"function f(1) end", "test:1: <name> or '...' expected near '1'"},
      {"a:b.c()", "test:1: function arguments expected near '.'"},
      {"local 1", "test:1: <name> expected near '1'"},
      {"return 1 x = 2", "test:1: <eof> expected near 'x'"},
      {"x = (1", "test:1: ')' expected near <eof>"},
      {"x = a ~ b", "test:1: unexpected symbol near '~'"},
  };
  for (const auto& c : cases) EXPECT_EQ(error_of(c.text), c.message) << c.text;
}

TEST_F(ParseTest, MessagesNameTheLineAndTab) {
  // Tabs of 3, 3 and 10 lines: whole lines 3-7 are tab 0, 8-12 tab 1, from 13 tab 2.
  tovo_test::set_tab_lines({3, 3, 10});
  std::string before(16, '\n');  // the function starts on whole line 17: tab 2, line 5
  EXPECT_EQ(error_of(before + "function f()\n  x = 1\n"),
            "test:19: 'end' expected (to close 'function' at line 5 (tab 2)) near <eof>");
  EXPECT_EQ(error_of(before + "if x then y = 1 else"), "test:17: 'end' expected near <eof>");
  EXPECT_EQ(error_of(std::string(7, '\n') + "break"), "test:8: <break> at line 1 not inside a loop");
  EXPECT_EQ(error_of("\n\n\ngoto l\nlocal x\n::l:: x = 1"),
            "test:6: <goto l> at line 2 (tab 0) jumps into the scope of local 'x'");
  EXPECT_EQ(error_of("\n\ngoto nowhere"), "test:3: no visible label 'nowhere' for <goto> at line 1 (tab 0)");
  EXPECT_EQ(error_of(std::string(8, '\n') + "::a:: x = 1\n::a::"),
            "test:10: label 'a' already defined on line 2 (tab 1)");

  EXPECT_EQ(error_of(before + "x = (1\n+ 2 3"), "test:18: ')' expected (to close '(' at line 5 (tab 2)) near '3'");
}

TEST_F(ParseTest, GotoRules) {
  compiles("do goto e local x ::e:: end");  // a label at the end of a block ends the locals' scope
  compiles("while x do if y then goto continue end local z = 1 ::continue:: end");
  compiles("::top:: do goto top end");
  EXPECT_EQ(error_of("do ::l:: end goto l"), "test:1: no visible label 'l' for <goto> at line -1 (tab 0)");
  compiles("::a:: do ::a:: end");  // another block may repeat a label
}

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; i++) out += s;
  return out;
}

TEST_F(ParseTest, Limits) {
  compiles(repeat("local a ", 200));
  EXPECT_EQ(error_of(repeat("local a ", 201)),
            "test:1: too many local variables (limit is 200) in main function near <eof>");

  // Inside a function the message names its line and tab.
  EXPECT_EQ(error_of("\n\nfunction f()\n" + repeat("local a ", 201) + "\nend"),
            "test:5: too many local variables (limit is 200) in function at line 1 (tab 0) near 'end'");

  // 255 upvalues are fine, the 256th fails.
  auto upvalue_text = [](int n) {
    std::string locals1;
    std::string locals2;
    std::string uses;
    for (int i = 0; i < n; i++) {
      std::string name = "v" + std::to_string(i);
      // clang-format off
      (i < 150 ? locals1 : locals2) += "local " + name + " ";
      // clang-format on
      uses += name + " = 1 ";
    }
    return locals1 + "\nfunction g()\n" + locals2 + "\nreturn function()\n" + uses + "end end";
  };
  compiles(upvalue_text(255));
  EXPECT_EQ(error_of(upvalue_text(256)),
            "test:5: too many upvalues (limit is 255) in function at line 2 (tab 0) near '='");

  // Nesting of expressions and statements.
  compiles("x = " + repeat("(", 190) + "1" + repeat(")", 190));
  EXPECT_EQ(error_of("x = " + repeat("(", 200) + "1" + repeat(")", 200)),
            "test:1: too many C levels (limit is 200) in main function near '('");
  EXPECT_NE(error_of(repeat("do ", 201) + repeat("end ", 201)).find("too many C levels (limit is 200)"),
            std::string::npos);
}

// The token read just after a function body (a name no other part of the
// program holds) stays alive when the body's constants go.
TEST_F(ParseTest, TokenAfterAFunctionBodySurvivesACollection) {
  compiles("local f = function() end fresh_name_after_body = 1");
  // A name too long to be interned is a new copy when anchored again.
  compiles("local f = function() end a_fresh_name_after_the_body_too_long_to_be_interned = 1");
}

// Lists past their limits fail in the memory module: no position prefix.
TEST_F(ParseTest, ListLimits) {
  EXPECT_EQ(compile_text(L, repeat("do local a end ", 32767)), LUA_OK) << top_text(L);
  L->top--;
  EXPECT_EQ(compile_text(L, repeat("do local a end ", 32768)), LUA_ERRRUN);
  EXPECT_EQ(top_text(L), "too many local variables (limit is 32767)");
  L->top--;
  EXPECT_EQ(compile_text(L, repeat("goto x ", 32768)), LUA_ERRRUN);
  EXPECT_EQ(top_text(L), "too many labels/gotos (limit is 32767)");
  L->top--;
}

// A large cart-like program: many functions, locals, loops, tables, string
// building and the console's operators (the collector runs while it compiles).
TEST_F(ParseTest, LargeProgram) {
  std::string text;
  for (int i = 0; text.size() < 64 * 1024; i++) {
    std::string n = std::to_string(i);
    text += "function update_" + n +
            "(p, dt)\n"
            "  local x, y = p.x + p.dx * dt, p.y + p.dy * dt\n"
            "  if x < 0 or x > 127 then p.dx = -p.dx end\n"
            "  for j = 1, #p.trail do local t = p.trail[j] t.age = t.age + 1 end\n"
            "  local flags = (@0x5f00 & 0xf0) | (x << 2) ^^ (y >> 1)\n"
            "  p.name = 'obj' .. " +
            n +
            " .. ':' .. flags\n"
            "  return {x = x, y = y, n = " +
            n +
            ", 1, 2, 3}\n"
            "end\n";
  }
  ASSERT_EQ(compile_text(L, text), LUA_OK) << top_text(L);
  EXPECT_GT(top_proto(L)->sizep, 100);
  L->top--;
}

}  // namespace
