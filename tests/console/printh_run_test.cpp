// The printh limits over runs: a cart started while none runs begins with
// an empty log registry and byte total; a cart that a running cart starts
// (as load does) keeps adding to them.
#include <cstring>
#include <string>

#include "console/print/console_print.h"
#include "console/print/host_output.h"
#include "console/run/run_record.h"
#include "tests/console/output_folder.h"
#include "tests/support/cart_harness.h"
#include "tests/support/temp_dir.h"

namespace {

class PrinthRunTest : public tovo_test::CartHarness {
 protected:
  tovo_test::temp_dir dir;
  void SetUp() override {
    CartHarness::SetUp();
    test_output_folder = dir.path;
    tovo_shell().output_path_for = test_output_path;
    tovo_reset_printh_log();
  }
  void TearDown() override {
    tovo_reset_printh_log();
    CartHarness::TearDown();
  }
};

constexpr const char* SIXTY_FOUR_FILES = "for i = 1, 64 do printh(i, 'f'..i) end ";
constexpr const char* ONE_MORE_FILE = "printh('x', 'f65') ok = 1";

TEST_F(PrinthRunTest, ACartStartedWhileNoneRunsStartsAfresh) {
  start(SIXTY_FOUR_FILES);
  tick();
  ASSERT_EQ(run_state().running, 0);  // it ran to its end
  start(ONE_MORE_FILE);
  tick();
  EXPECT_EQ(global("ok"), "1");
}

TEST_F(PrinthRunTest, ACartStartedByARunningCartKeepsTheLimits) {
  start(std::string(SIXTY_FOUR_FILES) + "while true do flip() end");
  tick();
  ASSERT_EQ(run_state().running, 1);
  start(ONE_MORE_FILE);  // as load from the running cart
  tick();
  EXPECT_EQ(global("ok"), "nil");
  EXPECT_NE(std::strstr(tovo_error_log(), "too many printh files"), nullptr) << tovo_error_log();
}

}  // namespace
