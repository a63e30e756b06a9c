// The program text: the pieces and their layout, short commands, the code
// tabs, and what the prelude and the epilogue do for a cart.
#include <algorithm>
#include <string>

#include "console/machine/machine_record.h"
#include "console/print/console_print.h"
#include "console/run/code_tabs.h"
#include "console/run/program_text.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "engine/data/ctext.h"
#include "script/api/api.h"
#include "tests/support/cart_harness.h"
#include "tests/support/code_tabs_fixture.h"
#include "tests/support/counting_alloc.h"

namespace {

using tovo_test::CartHarness;

std::string assemble(const std::string& code, int prompt = 0, int global_api = 0, const char* lid = "") {
  static char out[TOVO_PROGRAM_SIZE];
  EXPECT_EQ(tovo_assemble_program(code.c_str(), prompt, global_api, lid, out, TOVO_PROGRAM_SIZE), 0);
  return out;
}

TEST(ProgramText, PiecesAndLayout) {
  EXPECT_EQ(std::string(tovo_glyph_defaults()).size(), 357u);
  std::string glyphs = tovo_glyph_defaults();
  EXPECT_NE(glyphs.find("\x8b=\x8b or 0 "), std::string::npos);
  EXPECT_NE(glyphs.find("\x97=\x97 or 5 "), std::string::npos);
  EXPECT_EQ(glyphs.substr(glyphs.size() - 2), " ;");

  std::string prelude = tovo_prelude();
  EXPECT_EQ(prelude.rfind("-- tovo header\n", 0), 0u);
  // Only the header line ends in a newline: the cart's first line is line 3.
  std::string program = assemble("first");
  size_t first = program.find("first");
  EXPECT_EQ(std::count(program.begin(), program.begin() + static_cast<long>(first), '\n'), 2);
  EXPECT_EQ(program.substr(first - 2, 2), ";\n");
  EXPECT_EQ(program.find("_end_of_program = 1"), program.find("first\n_end_of_program") + 6);

  std::string alias = tovo_alias_line();
  EXPECT_EQ(alias.rfind("local time,sub,chr,", 0), 0u);
  EXPECT_EQ(std::count(alias.begin(), alias.end(), ','), 2 * (28 + 29));
  EXPECT_EQ(assemble("x", 0, 1).find(alias), std::string::npos);
  EXPECT_NE(assemble("x", 0, 0).find(alias), std::string::npos);
}

TEST(ProgramText, CartIdsAndPromptLines) {
  EXPECT_NE(assemble("x", 0, 0, "19488").find(";\n nd=0 x"), std::string::npos);
  EXPECT_EQ(assemble("x", 0, 0, "19489").find("nd=0"), std::string::npos);
  std::string line = assemble("x=1", 1);
  EXPECT_EQ(line.substr(line.size() - std::string(TOVO_PROMPT_EPILOGUE).size()), TOVO_PROMPT_EPILOGUE);
}

TEST(ProgramText, ShortCommands) {
  struct command_case {
    const char* text;
    int prompt;
    const char* call;  // null: not a command
  } cases[] = {
      {"run", 0, " run()"},
      {"load game.kx", 0, " load(\"game.kx\")"},
      {"load \"game.kx\"", 0, nullptr},
      {"loadx", 0, nullptr},
      {"ls", 1, " ls()"},
      {"s", 1, " splore()"},
      {"s", 0, nullptr},
      {"cd a b", 0, " cd(\"a b\")"},
  };
  for (const command_case& c : cases) {
    char out[256] = "untouched";
    int found = tovo_short_command(c.text, c.prompt, "P", out, sizeof out);
    EXPECT_EQ(found, c.call != nullptr) << c.text;
    if (c.call) EXPECT_EQ(std::string(out), std::string("P") + c.call) << c.text;
    else EXPECT_STREQ(out, "untouched");
  }
  // A cart whose code is the bare word is rewritten as a prompt line is; a
  // cart's longer text that begins with a word stays as written.
  EXPECT_NE(assemble("run", 1).find(";\n run()\n _end_of_program"), std::string::npos);
  EXPECT_NE(assemble("help", 0).find(";\n help()\n_end_of_program"), std::string::npos);
  EXPECT_NE(assemble("cd = 1", 0).find(";\ncd = 1\n_end_of_program"), std::string::npos);
  EXPECT_NE(assemble("cd = 1", 1).find(" cd(\"= 1\")"), std::string::npos);
}

TEST(ProgramText, OversizedProgramIsRefusedWhole) {
  std::string code(TOVO_PROGRAM_SIZE, 'x');
  static char out[TOVO_PROGRAM_SIZE];
  EXPECT_EQ(tovo_assemble_program(code.c_str(), 0, 0, "", out, TOVO_PROGRAM_SIZE), 1);
  EXPECT_EQ(out[0], 0);
}

class CodeTabsTest : public CartHarness {};

TEST(ProgramText, CompilesAsTextOnly) {
  counting_alloc alloc;
  lua_State* L = lua_newstate(counting_alloc_fn, &alloc);
  ASSERT_NE(L, nullptr);
  std::string program = assemble("x = 1");
  EXPECT_EQ(tovo_compile_program(L, program.c_str()), LUA_OK);
  EXPECT_EQ(lua_type(L, -1), LUA_TFUNCTION);
  lua_settop(L, 0);
  // A text that begins as a binary chunk does is refused, not loaded as one.
  EXPECT_EQ(tovo_compile_program(L, "\x1bLua\x52"), LUA_ERRSYNTAX);
  EXPECT_STREQ(lua_tostring(L, -1), "attempt to load a binary chunk (mode is 't')");
  lua_close(L);
}

TEST_F(CodeTabsTest, SplitAndMerge) {
  set_code("a\n-->8\nb\n-->8\n\n-->8\nd");
  EXPECT_STREQ(code_tab(0), "a");
  EXPECT_STREQ(code_tab(1), "b");
  EXPECT_STREQ(code_tab(2), "");
  EXPECT_STREQ(code_tab(3), "d");
  EXPECT_EQ(visible_code_tabs(), 4);
  merge_code_from_tabs(pitem(0));
  EXPECT_STREQ(pitem(0)->code, "a\n-->8\nb\n-->8\n\n-->8\nd");

  code_tab_selected() = 5;  // a selected tab after the last one is kept
  merge_code_from_tabs(pitem(0));
  EXPECT_STREQ(pitem(0)->code, "a\n-->8\nb\n-->8\n\n-->8\nd\n-->8\n\n-->8\n");
  code_tab_selected() = 0;

  std::string many;
  for (int i = 0; i < 20; i++) many += std::to_string(i) + (i < 19 ? "\n-->8\n" : "");
  set_code(many);
  EXPECT_STREQ(code_tab(14), "14");
  EXPECT_EQ(std::string(code_tab(15)), "15\n-->8\n16\n-->8\n17\n-->8\n18\n-->8\n19");
}

TEST_F(CodeTabsTest, FindTabLine) {
  tovo_test::set_tab_lines({3, 0, 4});  // tab 0: 4 lines, tab 1: 1 line, tab 2: 5 lines
  struct line_case {
    int program_line, line, tab;
  } cases[] = {
      {3, 1, 0}, {6, 4, 0}, {7, 5, 0},  // line 5 of tab 0 is the separator after it
      {8, 1, 1}, {9, 2, 1}, {10, 1, 2}, {14, 5, 2}, {15, 6, 2}, {16, 1, 3}, {1000, 0, 0},
  };
  for (const line_case& c : cases) {
    int tab = -1;
    EXPECT_EQ(find_tab_line(c.program_line, &tab), c.line) << c.program_line;
    EXPECT_EQ(tab, c.tab) << c.program_line;
  }
  EXPECT_EQ(find_tab_line(9, nullptr), 2);
}

// The shell's punycode-encoding setting reaches every tab's code text, and
// follows the setting back.
TEST_F(CodeTabsTest, PunycodeEncodingReachesEveryTabRecord) {
  tovo_shell().set_setting("punycode_encoding", 1);
  update_punycode_encoding();
  for (int tab = 0; tab < TOVO_CODE_TABS; tab++) EXPECT_EQ(tovo_shell().code_tab_record(tab)->keep_capitals, 1) << tab;
  tovo_shell().set_setting("punycode_encoding", 0);
  update_punycode_encoding();
  for (int tab = 0; tab < TOVO_CODE_TABS; tab++) EXPECT_EQ(tovo_shell().code_tab_record(tab)->keep_capitals, 0) << tab;
  // A shell that holds no record for a tab is passed over.
  auto kept = tovo_shell().code_tab_record;
  tovo_shell().code_tab_record = [](int32_t) -> tarq_ctext* { return nullptr; };
  tovo_shell().set_setting("punycode_encoding", 1);
  update_punycode_encoding();
  tovo_shell().code_tab_record = kept;
  EXPECT_EQ(tovo_shell().code_tab_record(0)->keep_capitals, 0);
}

class PreludeTest : public CartHarness {
 protected:
  // Runs a cart that stops by itself and returns what it wrote with printh.
  std::string printed(const std::string& code) {
    testing::internal::CaptureStdout();
    start(code);
    tick(3);
    EXPECT_EQ(run_state().running, 0) << code;
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(PreludeTest, Behaviours) {
  struct prelude_case {
    const char* code;
    const char* out;
  } cases[] = {
      {"for k in pairs(nil) do printh(k) end for i in ipairs(nil) do printh(i) end printh('done')", "done\n"},
      {"t={1,2,3,4} for v in all(t) do printh(v) if v==2 then del(t,v) end end", "1\n2\n3\n4\n"},
      {"t={1,nil,3} for v in all(t) do printh(v) end", "1\n3\n"},
      {"for v in all({}) do printh(v) end for v in all(nil) do printh(v) end printh('e')", "e\n"},
      {"foreach({5,6},printh)", "5\n6\n"},
      {"printh() printh(nil) printh(false)", "[nil]\nfalse\n"},
      {"t=setmetatable({},{__tostring=function() return 'meta' end}) printh(tostr(t)) printh(tostr(12))", "meta\n12\n"},
      {"menuitem(0,'zero') menuitem(6,'six') printh(#_pausemenu)", "0\n"},
      {"menuitem(2,'two',function() end) printh(_pausemenu[2].label)", "two\n"},
      {"printh(type()) printh(type(1))", "number\n"},  // type() gives no value: printh() prints nothing
      {"printh(__pairs__) printh(__refund_cpu__) printh(__superyield)", "[nil]\n[nil]\n[nil]\n"},
      {"printh(\x8b) printh(\x97) \x97=9 printh(\x97)", "0\n5\n9\n"},
      {"printh(load('#none')) printh(load('missing.kx'))", "false\nfalse\n"},
      {"co=cocreate(function(a) local b=yield(a+1) return b*2 end) "
       "printh(tostr(select(2,coresume(co,1)))) printh(tostr(select(2,coresume(co,5)))) printh(costatus(co))",
       "2\n10\ndead\n"},
      // yield hands back the values it was given, a table as the same table.
      {"t={} co=cocreate(function(a) yield(a, 2) end) ok,r=coresume(co,t) printh(tostr(r==t))", "true\n"},
  };
  for (const prelude_case& c : cases) EXPECT_EQ(printed(c.code), c.out) << c.code;
}

TEST_F(PreludeTest, MenuitemStopsOnABadIndex) {
  testing::internal::CaptureStdout();
  start("menuitem('x','label') printh('after')");
  tick();
  EXPECT_EQ(run_state().pending_action, TOVO_PENDING_SUSPEND);
  tick();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // stopped before the next line
}

TEST_F(PreludeTest, MainLoopVariants) {
  struct loop_case {
    const char* code;
    int fps;
    int mainloop;
    const char* out;  // after three ticks
  } cases[] = {
      {"function _update60() printh('u60') end function _update() printh('u') end", 60, 2, "u60\nu60\nu60\n"},
      {"function _init() printh('i') end", 30, 0, "i\n"},
      {"function _mainloop() printh('own') end function _update() printh('u') end", 30, 1, "own\n"},
      {"function _draw() printh('d') end", 30, 2, "d\nd\nd\n"},
  };
  for (const loop_case& c : cases) {
    testing::internal::CaptureStdout();
    start(c.code);
    tick(3);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(run_state().target_fps, c.fps) << c.code;
    EXPECT_EQ(run_state().mainloop_exists, c.mainloop) << c.code;
    EXPECT_EQ(out, c.out) << c.code;
  }
}

}  // namespace
