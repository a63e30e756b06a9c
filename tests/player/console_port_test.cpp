// The player's tests run with the console joined to the shell, as the
// program is at start-up; and that join leaves no entry of the port unset.
#include <gtest/gtest.h>

#include "console/run/shell_port.h"
#include "player/console_port.h"

namespace {

struct console_port_environment : testing::Environment {
  void SetUp() override { ASSERT_EQ(connect_console_to_shell(), 0); }
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new console_port_environment);

TEST(console_port, the_shell_fills_every_entry) {
  EXPECT_EQ(connect_console_to_shell(), 0);
  EXPECT_EQ(tovo_shell_port_missing(tovo_shell), nullptr);
}

}  // namespace
