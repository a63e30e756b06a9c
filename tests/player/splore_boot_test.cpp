// The kiosk boot: the boot ends in the cart browser, with the local folder
// and the favourites listed, and the game is never started.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/io/path.h"
#include "engine/platform/host.h"
#include "player/boot.h"
#include "player/browser/splore.h"
#include "player/browser/splore_shutdown.h"
#include "player/shell_state.h"
#include "tests/player/boot_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

struct splore_boot : boot_fixture {
  tovo_test::temp_home home;
  tovo_test::temp_dir carts;
};

TEST_F(splore_boot, KioskBootEndsInTheBrowser) {
  char app_folder[TARQ_PATH_MAX];
  tarq_prefix_with_appdata_path("", app_folder);
  tarq_mkdir(app_folder);
  tovo_test::write_file(std::string(app_folder) + "favourites.txt", "|4321 |9 |2 |maker |  |far cart\n");
  tovo_test::write_file(carts.file("mine.kx"), "x");
  snprintf(shell.root_path, sizeof shell.root_path, "%s/", carts.path.c_str());
  app.kiosk = app.browser_requested = 1;

  boot_init();
  while (pstate().ticks < 100 && shell.mode == TOVO_MODE_BOOT) {
    move_boot();
    pstate().ticks++;
  }
  EXPECT_EQ(pstate().ticks, 67);
  EXPECT_EQ(shell.mode, TOVO_MODE_STOPPED);
  EXPECT_EQ(shell.sub_mode, 2);
  EXPECT_EQ(run_state().pending_action, 0);  // the game is never started
  EXPECT_EQ(splore.list_count, SPLORE_LISTS_USED);
  EXPECT_EQ(splore.list_index, SPLORE_LIST_FAVOURITES);
  ASSERT_EQ(splore.lists[SPLORE_LIST_FAVOURITES].count, 1);
  EXPECT_STREQ(splore.lists[SPLORE_LIST_FAVOURITES].items[0].title, "far cart");
  EXPECT_EQ(splore.lists[SPLORE_LIST_FAVOURITES].icon, SPLORE_ICON_SPECIAL);
  ASSERT_EQ(splore.lists[SPLORE_LIST_LOCAL].count, 1);
  EXPECT_STREQ(splore.lists[SPLORE_LIST_LOCAL].items[0].title, "mine");

  splore_shutdown();
}

}  // namespace
