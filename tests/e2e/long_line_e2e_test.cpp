// A cart whose second line holds three segments of the preprocessor's size,
// run headless with -x. Each segment is rewritten as a line of its own:
// "?" closes its print at the end of the first segment (a whole line would run
// the print on into the next statements, which does not compile), and the
// compound assignment that the second cut splits takes only its own segment as
// its right-hand side: y*=2 | +1 gives y = y * (2) + 1. The lines after it
// keep their numbers, as the runtime error on line 4 shows.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

using tovo_test::env_or;

TEST(LongLineE2e, SegmentsOfALongLineAreRewrittenOneByOne) {
  std::string binary = env_or("TOVO_BINARY", TOVO_TEST_BINARY);
  std::string source = env_or("TOVO_SOURCE_DIR", TOVO_TEST_SOURCE_DIR);
  tovo_test::temp_dir home;
  pid_t pid = tovo_test::start_process({binary, "-x", source + "/tests/carts/long_line.kx"},
                                       {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}, home);
  ASSERT_GE(pid, 0);
  int status = tovo_test::wait_for(pid, 60000);
  std::string out;
  tovo_test::read_file(home.file("stdout.txt"), &out);
  EXPECT_EQ(status, 3) << out;  // the runtime error on line 4
  EXPECT_NE(out.find("print closed at the cut\nx 1 y 7\nline 3\nruntime error line 4 tab 0\nx=x+nil\n"),
            std::string::npos)
      << out.substr(0, 2000);
}

}  // namespace
