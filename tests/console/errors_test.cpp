// Compile and runtime error reports: headings with line and tab, source
// lines, the cut-down details, assert messages and the traceback.
#include <string>
#include <vector>

#include "console/print/console_print.h"
#include "console/run/assert_message.h"
#include "console/run/errors.h"
#include "console/run/run_state.h"
#include "engine/tarq.h"
#include "tests/support/cart_harness.h"

namespace {

using tovo_test::CartHarness;

class ErrorsTest : public CartHarness {
 protected:
  // Every console line of running the code for a few ticks (headless with
  // exec, the lines go to standard output once the program stopped).
  std::string report_of(const std::string& code, int ticks = 3) {
    run_state.exec = 1;
    testing::internal::CaptureStdout();
    start(code);
    tick(ticks);
    std::string out = testing::internal::GetCapturedStdout();
    run_state.exec = 0;
    tarq_quit = 0;
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
      // A block left open swallows the epilogue: the parser stops past the code.
      {"a=1\nif a then\nb=2\n", "syntax error\nunclosed if\n"},
      // An unfinished statement stops at the epilogue's marker: no detail.
      {"a=1\nfor i", "syntax error line 2 (tab 0)\nfor i\n"},
      // Runtime errors: heading, source line, message, traceback.
      {"a=1\n-->8\nb=2\nc=nil+1\n",
       "runtime error line 2 tab 1\nc=nil+1\nattempt to perform arithmetic on a nil value\nat line 2 (tab 1)\n"},
      {"function f()\n return nil+1\nend\nfunction _update() f() end",
       "runtime error line 2 tab 0\n return nil+1\nattempt to perform arithmetic on a nil value\n"
       "in f line 2 (tab 0)\nin _update line 4 (tab 0)\nat line 0 (tab 0)\n"},
      {"a=1\n-->8\nb=1\n-->8\n\nc=#nil",
       "runtime error line 2 tab 2\nc=#nil\nattempt to get length of a nil value\nat line 2 (tab 2)\n"},
      {"assert(false)", "runtime error line 1 tab 0\nassert(false)\nassertion failed\nat line 1 (tab 0)\n"},
      {"assert(false, \"boom\")", "runtime error line 1 tab 0\nassert(false, \"boom\")\nboom\nat line 1 (tab 0)\n"},
  };
  for (const report_case& c : cases) EXPECT_EQ(report_of(c.code), c.lines) << c.code;
}

TEST_F(ErrorsTest, CompileFailureLeavesTheMachineStopped) {
  run_state.running = 1;
  report_of("x = = 1");
  EXPECT_EQ(run_state.running, 0);
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
  run_state.exec = 1;
  testing::internal::CaptureStdout();
  EXPECT_EQ(extract_syntax_error("x:9: 'end' expected (to close 'while' at line 4 (tab 1)) near <eof>", 0), nullptr);
  EXPECT_EQ(extract_syntax_error("x:9: 'end' expected (to close 'do' at line 4 (tab 1)) near <eof>", 1), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "unclosed while\nunclosed do at line 4 (tab 1)\n\n");
  run_state.exec = 0;
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
}

TEST_F(ErrorsTest, LongRuntimeMessagesAreCut) {
  run_state.exec = 1;
  testing::internal::CaptureStdout();
  std::string message(10000, 'm');
  extract_runtime_error(message.c_str());
  std::string out = testing::internal::GetCapturedStdout();
  run_state.exec = 0;
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
    EXPECT_EQ(std::string(tovo_assert_message_store), c.kept);
  }
}

}  // namespace
