// Start-up pieces and the boot sequence over the build's own data pod.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "console/draw/gfx_state.h"
#include "console/machine/button.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/io/path.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "player/boot.h"
#include "player/cart/cart_image.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/command_history.h"
#include "player/frame.h"
#include "player/pod_title.h"
#include "player/shell_init.h"
#include "player/shell_state.h"
#include "tests/player/boot_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(shell_init, BackPageForTheDisplayOptions) {
  const int32_t cases[][5] = {
      {0, 0, 0, 128, 128}, {0, 3, 0, 384, 128},  {0, 9, 9, 1024, 1024},
      {1, 3, 2, 144, 136}, {0, -4, 2, 128, 256}, {0, 1, 1, 128, 128},
  };
  for (const auto& c : cases) {
    int32_t w, h;
    tovo_back_page_size(c[0], c[1], c[2], &w, &h);
    // clang-format off
    EXPECT_EQ(w, c[3]) << c[0] << " " << c[1] << " " << c[2];
    // clang-format on
    EXPECT_EQ(h, c[4]);
  }
}

TEST(shell_init, SuggestedNameSkipsTakenNames) {
  tovo_test::temp_dir dir;
  snprintf(shell.root_path, sizeof shell.root_path, "%s/", dir.path.c_str());
  set_untitled_filename();
  EXPECT_EQ(std::string(shell.suggested_name), dir.path + "/untitled.kx");
  tovo_test::write_file(dir.file("untitled.kx"), "x");
  tovo_test::write_file(dir.file("untitled_1.kx"), "x");
  set_untitled_filename();
  EXPECT_EQ(std::string(shell.suggested_name), dir.path + "/untitled_2.kx");
  memset(&shell, 0, sizeof shell);
}

// A configured folder stays when it can be listed; an empty one, a missing
// one or a file in its place gives the application folder's default.
TEST(shell_init, UnusableFoldersFallBackToTheApplicationFolder) {
  tovo_test::temp_dir dir;
  tovo_test::write_file(dir.file("plain.txt"), "x");
  char fallback[TARQ_PATH_MAX];
  tarq_prefix_with_appdata_path("carts/", fallback);
  const struct {
    std::string configured;
    std::string kept;
  } cases[] = {
      {dir.path + "/", dir.path + "/"},
      {"", fallback},
      {dir.path + "/missing/", fallback},
      {dir.file("plain.txt"), fallback},
  };
  for (const auto& c : cases) {
    char path[TARQ_PATH_MAX];
    snprintf(path, sizeof path, "%s", c.configured.c_str());
    init_path(path, "carts/");
    EXPECT_EQ(std::string(path), c.kept) << "configured: " << c.configured;
  }
}

using boot = boot_fixture;

TEST_F(boot, StepsByTickThenTheGameIsBootedAndRunAsked) {
  boot_init();
  EXPECT_EQ(pstate().ticks, -15);
  EXPECT_EQ(shell.mode, TOVO_MODE_BOOT);
  EXPECT_EQ(pitem(0)->gfx->rows[2][2], 7);  // the small cross on the sheet
  EXPECT_EQ(pitem(0)->gfx->rows[5][2], 7);
  tick_to(1);
  EXPECT_GT(lit_pixels(), 1000);  // noise and stripes
  tick_to(12);
  EXPECT_EQ(lit_pixels(), 0);  // cleared at 11
  tick_to(27);
  EXPECT_EQ(screen->rows[1][2], 8);  // the logo's top row at (1,1)
  EXPECT_EQ(run_state().pending_action, 0);
  tick_to(76);
  EXPECT_EQ(shell.mode, TOVO_MODE_BOOT);
  tick_to(77);
  EXPECT_EQ(shell.mode, TOVO_MODE_STOPPED);
  EXPECT_EQ(run_state().pending_action, TOVO_PENDING_RUN);
  EXPECT_EQ(strncmp(pitem(0)->code, "-- tovo garden", 14), 0);
  EXPECT_EQ(mounted_cart_count(), 2);
  EXPECT_STREQ(mounted_cart(0)->name, "tovo_game.kx");
  EXPECT_STREQ(mounted_cart(1)->name, "tovo_shed.kx");
  EXPECT_NE(get_embedded_cart_hash_for_filename("tovo_shed.kx", 0), nullptr);
}

TEST_F(boot, NoHeadCartKeepsBooting) {
  tarq_destroy_pod(shell.data_pod);
  shell.data_pod = tarq_create_pod(1);
  boot_init();
  tick_to(90);
  EXPECT_EQ(shell.mode, TOVO_MODE_BOOT);
  EXPECT_EQ(run_state().pending_action, 0);
  EXPECT_EQ(mounted_cart_count(), 0);
}

TEST_F(boot, CommandLineCartWithoutRunStopsAtFiftySix) {
  tovo_test::temp_dir dir;
  std::string cart = dir.file("mine.kx");
  tovo_test::write_file(cart, "tovo cartridge // tovo.invalid\nversion 34\n__lua__\nx=1\n");
  snprintf(app.cart_name, sizeof app.cart_name, "%s", cart.c_str());
  boot_init();
  tick_to(57);
  EXPECT_EQ(app.cart_loaded, 1);
  EXPECT_EQ(shell.mode, TOVO_MODE_STOPPED);
  EXPECT_STREQ(pitem(0)->code, "x=1");
  tick_to(90);
  EXPECT_EQ(run_state().pending_action, 0);  // the boot ended at 56
}

TEST_F(boot, CommandLineCartThatFailsClearsTheRun) {
  snprintf(app.cart_name, sizeof app.cart_name, "/no/such/cart.kx");
  app.run_requested = 1;
  boot_init();
  tick_to(37);
  EXPECT_EQ(app.cart_loaded, 0);
  EXPECT_EQ(app.run_requested, 0);
}

// Loading a cart sets the data pod's title on the window again, over one a
// cart set for itself; saving and rebooting leave the window's title alone.
TEST_F(boot, ALoadPutsThePodsTitleBackOnTheWindow) {
  const std::string pod_title = get_embedded_cart_title();
  ASSERT_FALSE(pod_title.empty());
  tovo_test::temp_dir dir;
  std::string cart = dir.file("mine.kx");
  tovo_test::write_file(cart, "tovo cartridge // tovo.invalid\nversion 34\n__lua__\nx=1\n");
  tarq_set_window_title("the cart's own");
  ASSERT_EQ(load_working_cart(cart.c_str()), 0);
  EXPECT_EQ(std::string(tarq_state.window_title), pod_title);
  tarq_set_window_title("the cart's own");
  ASSERT_EQ(save_working_cart(dir.file("copy.kx").c_str()), 0);
  EXPECT_STREQ(tarq_state.window_title, "the cart's own");
  tarq_set_window_title(nullptr);
}

TEST_F(boot, RebootMakesNewCartsAndBootsAgain) {
  boot_init();
  tick_to(77);
  ASSERT_EQ(run_state().pending_action, TOVO_PENDING_RUN);
  pstate().ram[0x1234] = 9;
  snprintf(shell.current_folder, sizeof shell.current_folder, "games/");
  // What the cart that ran left behind: a second display selected, cart data,
  // the parameter string, a code tab, the hashes of the cart it loaded.
  set_draw_display(2);
  pstate().cart_data[3] = 7;
  snprintf(run_state().param, sizeof run_state().param, "level 2");
  code_tab_selected() = 3;
  snprintf(code_tab(3), TOVO_CODE_SIZE, "x=1");
  snprintf(disk_state.load_hash, sizeof disk_state.load_hash, "%s", disk_state.saved_hash);
  const std::string old_hash = disk_state.saved_hash;
  tarq_set_window_title("the cart's own");
  run_state().pending_action = TOVO_PENDING_REBOOT;
  tovo_do_pending_action();
  EXPECT_EQ(run_state().pending_action, 0);
  EXPECT_STREQ(tarq_state.window_title, "the cart's own");
  tarq_set_window_title(nullptr);
  EXPECT_EQ(shell.mode, TOVO_MODE_BOOT);
  EXPECT_EQ(pstate().ticks, -15);
  EXPECT_EQ(pstate().ram[0x1234], 0);
  EXPECT_STREQ(shell.current_folder, "");
  ASSERT_NE(pitem(0), nullptr);
  EXPECT_STREQ(pitem(0)->code, "");  // a new, empty working cart
  EXPECT_NE(pstate().cart, nullptr);
  EXPECT_EQ(pstate().display, 0);
  EXPECT_EQ(pstate().draw_target, pstate().screens[0]) << "the boot draws on the first screen";
  EXPECT_EQ(pstate().cart_data[3], 0);
  EXPECT_STREQ(run_state().param, "");
  EXPECT_EQ(code_tab_selected(), 0);
  EXPECT_STREQ(code_tab(3), "");
  EXPECT_STREQ(disk_state.load_hash, "");
  char hash[TOVO_HASH_SIZE];
  hash_cart(pitem(0), hash);
  EXPECT_STREQ(disk_state.saved_hash, hash) << "the new working cart is hashed";
  EXPECT_NE(old_hash, hash);
  EXPECT_NE(std::string(shell.suggested_name).find("untitled"), std::string::npos);
  tovo_destroy_code_tabs();
}

TEST_F(boot, ResetGlitchRunsSixTicksThenRestarts) {
  shell.frame_rate = 30;
  snprintf(run_state().param, sizeof run_state().param, "lvl");  // the cart was started with it
  run_state().pending_param[0] = 0;
  pstate().reset_counter = 1;
  for (int i = 0; i < 5; i++) {
    update_reset_glitch();
    EXPECT_NE(pstate().reset_counter, 0) << i;
  }
  EXPECT_EQ(run_state().pending_action, 0);
  update_reset_glitch();
  EXPECT_EQ(pstate().reset_counter, 0);
  EXPECT_EQ(run_state().pending_action, TOVO_PENDING_RUN);
  EXPECT_STREQ(run_state().pending_param, "lvl");  // run_cart makes it current again
  run_state().pending_action = 0;
  shell.frame_rate = 60;
  pstate().reset_counter = 1;
  int ticks = 0;
  while (pstate().reset_counter != 0 && ticks < 100) {
    update_reset_glitch();
    ticks++;
  }
  EXPECT_EQ(ticks, 12);
}

TEST_F(boot, TheBootForgetsTheCommandHistory) {
  command_history.count = 4;
  command_history.position = 2;
  snprintf(command_history.line[1], TOVO_HISTORY_LINE, "run");
  boot_init();
  EXPECT_EQ(command_history.count, 0);
  EXPECT_EQ(command_history.position, 0);
  command_history = {};
}

TEST_F(boot, SplashRestartsTheBootOnAnyKeyOrButton) {
  struct {
    int32_t key;     // scancode held, 0 none
    int32_t button;  // of player 0 pressed this frame, -1 none
    bool restarts;
  } cases[] = {
      {0, -1, false}, {4, -1, true}, {57, -1, false},  // caps lock is no key here
      {0, 0, true},   {0, 6, true},  {0, 7, false},
  };
  for (const auto& c : cases) {
    tarq_release_keys();
    memset(pstate().held, 0, sizeof pstate().held);
    button_state() = {};
    shell.mode = TOVO_MODE_SPLASH;
    pstate().ticks = 40;
    if (c.key) tarq_set_key(c.key, 1);
    if (c.button >= 0) pstate().held[0][c.button] = 1;
    move_splash();
    EXPECT_EQ(shell.mode, c.restarts ? TOVO_MODE_BOOT : TOVO_MODE_SPLASH) << c.key << " " << c.button;
    EXPECT_EQ(pstate().ticks, c.restarts ? -15 : 40);
  }
  // The frame loop's tick serves the splash mode: a key held restarts it.
  memset(pstate().held, 0, sizeof pstate().held);
  button_state() = {};
  shell.mode = TOVO_MODE_SPLASH;
  pstate().ticks = 40;
  tarq_set_key(4, 1);
  tovo_tick();
  EXPECT_EQ(shell.mode, TOVO_MODE_BOOT);
  EXPECT_EQ(pstate().ticks, -14) << "boot_init, then the tick's own count";
  tarq_release_keys();
  memset(pstate().held, 0, sizeof pstate().held);
  button_state() = {};
}

}  // namespace
