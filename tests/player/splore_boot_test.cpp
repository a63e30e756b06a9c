// The kiosk boot: the boot ends in the cart browser, with the local folder
// and the favourites listed, and the game is never started.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "console/cart.h"
#include "console/pstate.h"
#include "console/run_state.h"
#include "engine/file.h"
#include "engine/gfx.h"
#include "engine/host.h"
#include "engine/pod.h"
#include "engine/pod_file.h"
#include "player/boot.h"
#include "player/browser/splore.h"
#include "player/disk.h"
#include "player/shell_state.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(splore_boot, KioskBootEndsInTheBrowser) {
  tovo_test::temp_home home;
  tovo_test::temp_dir carts;
  std::string pod = TOVO_TEST_BINARY;
  pod = pod.substr(0, pod.rfind('/') + 1) + "data.pod";
  memset(&app, 0, sizeof app);
  memset(&shell, 0, sizeof shell);
  shell.data_pod = tarq_load_pod(pod.c_str());
  ASSERT_NE(shell.data_pod, nullptr);
  tarq_file* f = (tarq_file*)cpod_get_item(shell.data_pod, 1, TARQ_ITEM_FILE);
  f->pos = 0;
  shell.resources = tarq_load_pod_file("", f);
  tarq_bitmap* screen = tarq_create_bitmap(128, 128, 8);
  pstate.draw_target = pstate.screens[0] = screen;
  pstate.cart = tarq_create_tovo_cart();
  pitems = 1;
  pitem[0] = tarq_create_tovo_cart();
  char app_folder[TARQ_PATH_MAX];
  tarq_prefix_with_appdata_path("", app_folder);
  tarq_mkdir(app_folder);
  tovo_test::write_file(std::string(app_folder) + "favourites.txt", "|4321 |9 |2 |maker |  |far cart\n");
  tovo_test::write_file(carts.file("mine.kx"), "x");
  snprintf(shell.root_path, sizeof shell.root_path, "%s/", carts.path.c_str());
  app.kiosk = app.browser_requested = 1;

  boot_init();
  while (pstate.ticks < 100 && shell.mode == TOVO_MODE_BOOT) {
    move_boot();
    pstate.ticks++;
  }
  EXPECT_EQ(pstate.ticks, 67);
  EXPECT_EQ(shell.mode, TOVO_MODE_STOPPED);
  EXPECT_EQ(shell.sub_mode, 2);
  EXPECT_EQ(run_state.pending_action, 0);  // the game is never started
  EXPECT_EQ(splore_list_count, SPLORE_LISTS_USED);
  EXPECT_EQ(list_index, SPLORE_LIST_FAVOURITES);
  ASSERT_EQ(splore_lists[SPLORE_LIST_FAVOURITES].count, 1);
  EXPECT_STREQ(splore_lists[SPLORE_LIST_FAVOURITES].items[0].title, "far cart");
  EXPECT_EQ(splore_lists[SPLORE_LIST_FAVOURITES].icon, SPLORE_ICON_SPECIAL);
  ASSERT_EQ(splore_lists[SPLORE_LIST_LOCAL].count, 1);
  EXPECT_STREQ(splore_lists[SPLORE_LIST_LOCAL].items[0].title, "mine");

  splore_shutdown();
  tarq_destroy_tovo_cart(pitem[0]);
  pitem[0] = nullptr;
  tarq_destroy_tovo_cart(pstate.cart);
  pstate.cart = nullptr;
  pstate.draw_target = pstate.screens[0] = nullptr;
  tarq_destroy_bitmap(screen);
  tarq_destroy_pod(shell.resources);
  tarq_destroy_pod(shell.data_pod);
  clear_embedded_carts();
  memset(&shell, 0, sizeof shell);
  memset(&app, 0, sizeof app);
}

}  // namespace
