// The player's tests run with the console joined to the shell, as the
// program is at start-up; and that join leaves no entry of the port unset.
#include <gtest/gtest.h>

#include <cstring>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "engine/data/ctext.h"
#include "engine/data/gfx.h"
#include "player/cart/cart_image.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/console_port.h"
#include "player/shell_init.h"
#include "player/shell_state.h"

namespace {

struct console_port_environment : testing::Environment {
  void SetUp() override { ASSERT_EQ(connect_console_to_shell(), 0); }
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new console_port_environment);

TEST(console_port, the_shell_fills_every_entry) {
  EXPECT_EQ(connect_console_to_shell(), 0);
  EXPECT_EQ(tovo_shell_port_missing(tovo_shell()), nullptr);
}

// The player keeps no edits, so reboot and shutdown never wait for an answer.
TEST(console_port, reboot_and_shutdown_are_never_held_back) {
  EXPECT_EQ(tovo_shell().unsaved_changes_confirmation("continue with reboot? [y/n]"), 0);
  EXPECT_EQ(tovo_shell().unsaved_changes_confirmation("continue with shutdown? [y/n]"), 0);
}

// Nor does it count changes of the working cart as unsaved: a cstore into the
// working cart, or code it holds that no file has, is what info() reports on
// without "unsaved changes".
TEST(console_port, a_changed_working_cart_has_no_unsaved_changes) {
  tovo_cart* kept = pitem(0);
  pitem(0) = tarq_create_tovo_cart();
  char saved_hash[sizeof disk_state.saved_hash];
  std::memcpy(saved_hash, disk_state.saved_hash, sizeof saved_hash);
  hash_cart(pitem(0), disk_state.saved_hash);
  EXPECT_EQ(detect_unsaved_changes(), 0);
  std::strcpy(pitem(0)->code, "print(1)");
  pitem(0)->gfx->rows[3][4] = 9;
  pitem(0)->sfx[2].speed = 3;
  char hash[sizeof disk_state.saved_hash];
  hash_cart(pitem(0), hash);
  ASSERT_STRNE(hash, disk_state.saved_hash) << "the cart differs from what was saved";
  EXPECT_EQ(detect_unsaved_changes(), 0);
  EXPECT_EQ(tovo_shell().unsaved_changes(), 0);
  tarq_destroy_tovo_cart(pitem(0));
  pitem(0) = kept;
  std::memcpy(disk_state.saved_hash, saved_hash, sizeof saved_hash);
}

// The code text record the console reaches for a tab is the shell's record of
// that tab, and its text is the tab's text.
TEST(console_port, code_tab_records_hold_the_tabs_texts) {
  tarq_ctext* kept[TOVO_CODE_TABS];
  std::memcpy(kept, shell.tabs, sizeof kept);
  tovo_create_code_tabs();
  std::strcpy(code_tab(3), "x=1\ny=2");
  for (int tab = 0; tab < TOVO_CODE_TABS; tab++) {
    tarq_ctext* record = tovo_shell().code_tab_record(tab);
    ASSERT_NE(record, nullptr) << tab;
    EXPECT_EQ(record, shell.tabs[tab]);
    EXPECT_EQ(reinterpret_cast<char*>(record->text), code_tab(tab));
  }
  EXPECT_STREQ(reinterpret_cast<const char*>(tovo_shell().code_tab_record(3)->text), "x=1\ny=2");
  EXPECT_EQ(tovo_shell().code_tab_record(16), nullptr);
  EXPECT_EQ(tovo_shell().code_tab_record(-1), nullptr);
  tovo_destroy_code_tabs();
  EXPECT_STREQ(code_tab(3), "x=1\ny=2");  // the texts stay
  code_tab(3)[0] = 0;
  std::memcpy(shell.tabs, kept, sizeof kept);
}

}  // namespace
