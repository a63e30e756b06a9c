// The port's start-up check: every entry, left unset on its own, is named
// by the check, and a port with an unset entry is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "tests/support/fake_shell.h"

namespace {

using entry = void (*)();
constexpr size_t ENTRIES = sizeof(tovo_shell_port) / sizeof(entry);
static_assert(sizeof(tovo_shell_port) % sizeof(entry) == 0, "the port holds only routines");

TEST(ShellPort, EachUnsetEntryIsNamedAndRefused) {
  install_fake_shell();
  const tovo_shell_port full = tovo_shell();
  ASSERT_EQ(tovo_shell_port_missing(full), nullptr);
  std::set<std::string> named;
  for (size_t i = 0; i < ENTRIES; i++) {
    tovo_shell_port port = full;
    std::memset(reinterpret_cast<unsigned char*>(&port) + i * sizeof(entry), 0, sizeof(entry));
    const char* missing = tovo_shell_port_missing(port);
    ASSERT_NE(missing, nullptr) << "entry " << i << " is not checked";
    named.insert(missing);

    tovo_shell().show_message = nullptr;  // stays so: a refused port changes nothing
    testing::internal::CaptureStderr();
    EXPECT_EQ(tovo_connect_shell(port), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "shell port: " + std::string(missing) + " is not set\n");
    EXPECT_EQ(tovo_shell().show_message, nullptr);
    tovo_shell() = full;
  }
  EXPECT_EQ(named.size(), ENTRIES);  // each entry under its own name
  EXPECT_EQ(tovo_connect_shell(full), 0);
}

}  // namespace
