// Compile and runtime error reports: headings with line and tab, source
// lines, the cut-down details, assert messages and the traceback.
#include <string>
#include <vector>

#include "console/print/console_print.h"
#include "console/run/error_lines.h"
#include "console/run/errors.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/script_host.h"
#include "console/run/shell_port.h"
#include "engine/data/ctext.h"
#include "engine/tarq.h"
#include "tests/support/cart_harness.h"

namespace {

using tovo_test::CartHarness;

class ErrorsTest : public CartHarness {
 protected:
  // Every console line of running the code for a few ticks (headless with
  // exec, the lines go to standard output once the program stopped).
  std::string report_of(const std::string& code, int ticks = 3) {
    run_state().exec = 1;
    code_tab_selected() = 0;  // a report selects the tab of its line
    testing::internal::CaptureStdout();
    start(code);
    tick(ticks);
    std::string out = testing::internal::GetCapturedStdout();
    run_state().exec = 0;
    tarq_request_quit(0);
    return out;
  }
};

struct report_case {
  const char* code;
  const char* lines;
};

TEST_F(ErrorsTest, ReportsByLineAndTab) {
  const report_case cases[] = {
      // Compile errors: heading, source line, the message after its last colon.
      {"x = = 1", "syntax error line 1 (tab 0)\nx = = 1\nunexpected symbol near '='\n"},
      {"a=1\n-->8\nb=2\n-->8\nx=1\ny=2 z=(\n", "syntax error line 2 (tab 2)\ny=2 z=(\nunclosed (\n"},
      {"for i=1,3 do end end", "syntax error line 1 (tab 0)\nfor i=1,3 do end end\n<eof> expected near 'end'\n"},
      // An unfinished statement stops at the epilogue's marker: no detail.
      {"a=1\nfor i", "syntax error line 2 (tab 0)\nfor i\n"},
      // Runtime errors: heading, source line, message, traceback.
      {"a=1\n-->8\nb=2\nc=nil+1\n",
       "runtime error line 2 tab 1\nc=nil+1\nattempt to perform arithmetic on a nil value\nat line 2 (tab 1)\n"},
      {"function f()\n return nil+1\nend\nfunction _update() f() end",
       "runtime error line 2 tab 0\n return nil+1\nattempt to perform arithmetic on a nil value\n"
       "in f line 2 (tab 0)\nin _update line 4 (tab 0)\n"},
      {"a=1\n-->8\nb=1\n-->8\n\nc=#nil",
       "runtime error line 2 tab 2\nc=#nil\nattempt to get length of a nil value\nat line 2 (tab 2)\n"},
      {"assert(false)", "runtime error line 1 tab 0\nassert(false)\nassertion failed\nat line 1 (tab 0)\n"},
      {"assert(false, \"boom\")", "runtime error line 1 tab 0\nassert(false, \"boom\")\nboom\nat line 1 (tab 0)\n"},
  };
  for (const report_case& c : cases) EXPECT_EQ(report_of(c.code), c.lines) << c.code;
}

// Every report names the line of the cart's own code where the error lies,
// whatever stands around the cart's code in the compiled program.
TEST_F(ErrorsTest, ReportsNameTheCartsLine) {
  const report_case cases[] = {
      // A block left open takes in the epilogue, so the parser stops past the
      // cart's code: the report names the line that opened the block.
      {"a=1\nif a then\nb=2\n", "syntax error line 2 (tab 0)\nif a then\n"},
      {"function f()\n x=1\n", "syntax error line 1 (tab 0)\nfunction f()\n"},
      {"x=0\nfor i=1,2 do x+=i", "syntax error line 2 (tab 0)\nfor i=1,2 do x+=i\n"},
      {"n=3\nwhile n>0 do\n n-=1\n", "syntax error line 2 (tab 0)\nwhile n>0 do\n"},
      {"repeat\n x=1", "syntax error line 1 (tab 0)\nrepeat\n"},
      {"x=1\nfunction f()\n-->8\ny=2", "syntax error line 2 (tab 0)\nfunction f()\n"},
      {"a=1\n-->8\nb=2\n-->8\nc=1\nwhile c do\n c=nil\n", "syntax error line 2 (tab 2)\nwhile c do\n"},
      {"a=1\n-->8\nrepeat\n a+=1", "syntax error line 1 (tab 1)\nrepeat\n"},
      // A goto without its label is found when the whole program is read.
      {"x=1\ngoto nowhere",
       "syntax error line 2 (tab 0)\ngoto nowhere\nno visible label 'nowhere' for <goto> at line 2 (tab 0)\n"},
      // The message keeps its token, and labels end at their "::".
      {"::a b", "syntax error line 1 (tab 0)\n::a b\n'::' expected near 'b'\n"},
      {"x = :", "syntax error line 1 (tab 0)\nx = :\nunexpected symbol near ':'\n"},
      {"g=0\n::_::g+=1 if g<3 then goto _ end\nprinth(g)", "3\n"},
      // Binding errors, from the cart's code, through the prelude's wrappers
      // and from inside functions of later tabs.
      {"x=1\ndget(1)", "runtime error line 2 tab 0\ndget(1)\ndget called before cartdata()\nat line 2 (tab 0)\n"},
      {"a=1\n-->8\nfunction f()\n dset(0,1)\nend\nf()",
       "runtime error line 2 tab 1\n dset(0,1)\ndset called before cartdata()\nin f line 2 (tab 1)\n"
       "at line 4 (tab 1)\n"},
      {"x=ord(\"a\",1,0)", "runtime error line 1 tab 0\nx=ord(\"a\",1,0)\ntoo many ord results\nat line 1 (tab 0)\n"},
      {"\nprinth(\"x\",\"../up\")",
       "runtime error line 2 tab 0\nprinth(\"x\",\"../up\")\nprinth: bad log file name\nat line 2 (tab 0)\n"},
      // After an error that a coroutine caught, later errors name their own line.
      {"co=cocreate(function()\n local a=nil+1\nend)\ncoresume(co)\ndget(0)",
       "runtime error line 5 tab 0\ndget(0)\ndget called before cartdata()\nat line 5 (tab 0)\n"},
      {"co=cocreate(function() dget(0) end)\nok=coresume(co)\nfunction _update()\n x=ord(\"\",1,-1)\nend",
       "runtime error line 4 tab 0\n x=ord(\"\",1,-1)\ntoo many ord results\nin _update line 4 (tab 0)\n"},
  };
  for (const report_case& c : cases) EXPECT_EQ(report_of(c.code), c.lines) << c.code;
}

// A report selects the tab of its line and puts the cursor of the tab's code
// text at the start of that line.
TEST_F(ErrorsTest, ReportSelectsTheTabAndLine) {
  const struct {
    const char* code;
    int tab;
    const char* from_cursor;
  } cases[] = {
      {"a=1\n-->8\nb=2\nc=nil+1\n", 1, "c=nil+1\n"},
      {"a=1\n-->8\nb=1\n-->8\nif b then\nc=2", 2, "if b then\nc=2"},
      {"x = = 1", 0, "x = = 1"},
  };
  for (const auto& c : cases) {
    report_of(c.code);
    EXPECT_EQ(code_tab_selected(), c.tab) << c.code;
    const tarq_ctext* record = tovo_shell().code_tab_record(c.tab);
    ASSERT_NE(record, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(record->text) + record->cursor, c.from_cursor) << c.code;
    EXPECT_EQ(record->select_start, record->cursor);
    EXPECT_EQ(record->select_end, record->cursor);
  }
}

TEST_F(ErrorsTest, CompileFailureLeavesTheMachineStopped) {
  run_state().running = 1;
  report_of("x = = 1");
  EXPECT_EQ(run_state().running, 0);
  // Only the logged lines are in the error log.
  EXPECT_EQ(std::string(tovo_error_log()), "syntax error line 1 (tab 0)\nx = = 1\nunexpected symbol near '='\n");
}

TEST_F(ErrorsTest, TracebackLinesOfFunctionsAreNotLogged) {
  report_of("function f()\n return nil+1\nend\nf()");
  EXPECT_EQ(std::string(tovo_error_log()),
            "runtime error line 2 tab 0\n return nil+1\nattempt to perform arithmetic on a nil value\n"
            "at line 4 (tab 0)\n");
}

TEST_F(ErrorsTest, SyntaxDetails) {
  EXPECT_STREQ(extract_syntax_error("[string \"x\"]:3: unexpected symbol near 'end'", 0),
               "unexpected symbol near 'end'");
  EXPECT_STREQ(extract_syntax_error("no colon here", 0), "no colon here");
  EXPECT_EQ(extract_syntax_error("x:9: 'x' expected near '_end_of_program'", 0), nullptr);
  run_state().exec = 1;
  testing::internal::CaptureStdout();
  EXPECT_EQ(extract_syntax_error("x:9: 'end' expected (to close 'while' at line 4 (tab 1)) near <eof>", 0), nullptr);
  EXPECT_EQ(extract_syntax_error("x:9: 'end' expected (to close 'do' at line 4 (tab 1)) near <eof>", 1), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "unclosed while\nunclosed do at line 4 (tab 1)\n\n");
  run_state().exec = 0;
  std::string long_detail = "x:1: " + std::string(3000, 'a');
  EXPECT_EQ(std::string(extract_syntax_error(long_detail.c_str(), 0)).size(), 1023u);
}

TEST_F(ErrorsTest, EndOfLineWhenTheSourceHasNoEnd) {
  EXPECT_EQ(report_of("a = 1 +\nend"), "syntax error line 1 (tab 0)\na = 1 +\nunexpected end of line\n");
  EXPECT_EQ(report_of("a = 1 + end"), "syntax error line 1 (tab 0)\na = 1 + end\nunexpected symbol near 'end'\n");
}

TEST_F(ErrorsTest, NthLine) {
  EXPECT_STREQ(get_nth_line_ex("a\nbb\nccc", 2, 1), "bb");
  EXPECT_STREQ(get_nth_line_ex("a\nbb\nccc", 3, 0), "ccc");
  EXPECT_STREQ(get_nth_line_ex("a\nbb", 3, 1), "<eof>");
  EXPECT_STREQ(get_nth_line_ex(nullptr, 1, 1), "");
  EXPECT_STREQ(get_nth_line("a\nbb\nccc", 3), "ccc");
  EXPECT_STREQ(get_nth_line_raw("a\nbb", 2), "bb");
  EXPECT_STREQ(get_nth_line_raw("a\nbb", 0), "<eof>");
}

// Going to a program line: the cart's lines select their tab and line; lines
// of the prelude, of a separator and of the epilogue change nothing.
TEST_F(ErrorsTest, NavigateToErrorLine) {
  set_code("a=1\nb=2\n-->8\nc=3\nd=4");
  const struct {
    int program_line;
    int tab;
    const char* from_cursor;
  } cases[] = {
      {4, 0, "b=2"}, {7, 1, "d=4"}, {6, 1, "c=3\nd=4"}, {2, 1, "c=3\nd=4"}, {5, 1, "c=3\nd=4"}, {8, 1, "c=3\nd=4"},
  };
  for (const auto& c : cases) {
    tovo_shell().code_tab_record(1)->cursor = 0;
    navigate_to_error_line(c.program_line);
    EXPECT_EQ(code_tab_selected(), c.tab) << c.program_line;
    const tarq_ctext* record = tovo_shell().code_tab_record(code_tab_selected());
    EXPECT_STREQ(reinterpret_cast<const char*>(record->text) + record->cursor, c.from_cursor) << c.program_line;
  }
}

TEST_F(ErrorsTest, LongRuntimeMessagesAreCut) {
  run_state().exec = 1;
  testing::internal::CaptureStdout();
  std::string message(10000, 'm');
  extract_runtime_error(message.c_str());
  std::string out = testing::internal::GetCapturedStdout();
  run_state().exec = 0;
  EXPECT_EQ(out, std::string(8191, 'm') + "\n");
}

// The store the report reads: emptied on every call, at most 254 characters
// kept, always terminated.
TEST(AssertMessage, KeepsAtMost254Characters) {
  struct Case {
    const char* text;
    std::string kept;
  };
  const std::string long_text(300, 'x');
  const Case cases[] = {{"broken", "broken"}, {nullptr, ""}, {"", ""}, {long_text.c_str(), long_text.substr(0, 254)}};
  for (const Case& c : cases) {
    tovo_assert_message("stale");
    tovo_assert_message(c.text);
    EXPECT_EQ(std::string(tovo_stored_assert_message()), c.kept);
  }
}

}  // namespace
