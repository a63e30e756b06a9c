// Start-up pieces and the boot sequence over the build's own data pod.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "console/cart.h"
#include "console/pstate.h"
#include "console/run_state.h"
#include "engine/file.h"
#include "engine/gfx.h"
#include "engine/pod.h"
#include "engine/pod_file.h"
#include "player/boot.h"
#include "player/disk.h"
#include "player/frame.h"
#include "player/shell_init.h"
#include "player/shell_state.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(shell_init, BackPageForTheDisplayOptions) {
  const int32_t cases[][5] = {
      {0, 0, 0, 128, 128}, {0, 3, 0, 384, 128}, {0, 9, 9, 1024, 1024},
      {1, 3, 2, 144, 136}, {0, -4, 2, 128, 256}, {0, 1, 1, 128, 128},
  };
  for (const auto& c : cases) {
    int32_t w, h;
    tovo_back_page_size(c[0], c[1], c[2], &w, &h);
    EXPECT_EQ(w, c[3]) << c[0] << " " << c[1] << " " << c[2];
    EXPECT_EQ(h, c[4]);
  }
}

TEST(shell_init, SuggestedNameSkipsTakenNames) {
  tovo_test::temp_dir dir;
  snprintf(shell.root_path, sizeof shell.root_path, "%s/", dir.path.c_str());
  tovo_suggest_file_name();
  EXPECT_EQ(std::string(shell.suggested_name), dir.path + "/untitled.kx");
  tovo_test::write_file(dir.file("untitled.kx"), "x");
  tovo_test::write_file(dir.file("untitled_1.kx"), "x");
  tovo_suggest_file_name();
  EXPECT_EQ(std::string(shell.suggested_name), dir.path + "/untitled_2.kx");
  memset(&shell, 0, sizeof shell);
}

struct boot : ::testing::Test {
  void SetUp() override {
    const char* binary = getenv("TOVO_BINARY");
    std::string path = binary ? binary : TOVO_TEST_BINARY;
    path = path.substr(0, path.rfind('/') + 1) + "data.pod";
    memset(&app, 0, sizeof app);
    memset(&shell, 0, sizeof shell);
    shell.data_pod = tarq_load_pod(path.c_str());
    ASSERT_NE(shell.data_pod, nullptr);
    tarq_file* f = (tarq_file*)cpod_get_item(shell.data_pod, 1, TARQ_ITEM_FILE);
    f->pos = 0;
    shell.resources = tarq_load_pod_file("", f);
    screen = tarq_create_bitmap(128, 128, 8);
    pstate.draw_target = pstate.screens[0] = screen;
    pstate.cart = tarq_create_tovo_cart();
    pitems = 1;
    pitem[0] = tarq_create_tovo_cart();
  }
  void TearDown() override {
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
    run_state.pending_action = 0;
  }
  void tick_to(int32_t t) {
    while (pstate.ticks < t) {
      move_boot();
      pstate.ticks++;
    }
  }
  int32_t lit_pixels() {
    int32_t n = 0;
    for (int i = 0; i < 128 * 128; i++) n += screen->pixels[i] != 0;
    return n;
  }
  tarq_bitmap* screen = nullptr;
};

TEST_F(boot, StepsByTickThenTheGameIsBootedAndRunAsked) {
  boot_init();
  EXPECT_EQ(pstate.ticks, -15);
  EXPECT_EQ(shell.mode, TOVO_MODE_BOOT);
  EXPECT_EQ(pitem[0]->gfx->rows[2][2], 7);  // the small cross on the sheet
  EXPECT_EQ(pitem[0]->gfx->rows[5][2], 7);
  tick_to(1);
  EXPECT_GT(lit_pixels(), 1000);  // noise and stripes
  tick_to(12);
  EXPECT_EQ(lit_pixels(), 0);     // cleared at 11
  tick_to(27);
  EXPECT_EQ(screen->rows[1][2], 8);  // the logo's top row at (1,1)
  EXPECT_EQ(run_state.pending_action, 0);
  tick_to(76);
  EXPECT_EQ(shell.mode, TOVO_MODE_BOOT);
  tick_to(77);
  EXPECT_EQ(shell.mode, TOVO_MODE_STOPPED);
  EXPECT_EQ(run_state.pending_action, TOVO_PENDING_RUN);
  EXPECT_EQ(strncmp(pitem[0]->code, "-- tovo garden", 14), 0);
  EXPECT_EQ(mounted_carts, 2);
  EXPECT_STREQ(hash_to_filename[0].name, "tovo_game.kx");
  EXPECT_STREQ(hash_to_filename[1].name, "tovo_shed.kx");
  EXPECT_NE(get_embedded_cart_hash_for_filename("tovo_shed.kx", 0), nullptr);
}

TEST_F(boot, NoHeadCartKeepsBooting) {
  tarq_destroy_pod(shell.data_pod);
  shell.data_pod = tarq_create_pod(1);
  boot_init();
  tick_to(90);
  EXPECT_EQ(shell.mode, TOVO_MODE_BOOT);
  EXPECT_EQ(run_state.pending_action, 0);
  EXPECT_EQ(mounted_carts, 0);
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
  EXPECT_STREQ(pitem[0]->code, "x=1");
  tick_to(90);
  EXPECT_EQ(run_state.pending_action, 0);  // the boot ended at 56
}

TEST_F(boot, CommandLineCartThatFailsClearsTheRun) {
  snprintf(app.cart_name, sizeof app.cart_name, "/no/such/cart.kx");
  app.run_requested = 1;
  boot_init();
  tick_to(37);
  EXPECT_EQ(app.cart_loaded, 0);
  EXPECT_EQ(app.run_requested, 0);
}

TEST_F(boot, RebootMakesNewCartsAndBootsAgain) {
  boot_init();
  tick_to(77);
  ASSERT_EQ(run_state.pending_action, TOVO_PENDING_RUN);
  pstate.ram[0x1234] = 9;
  snprintf(shell.current_folder, sizeof shell.current_folder, "games/");
  run_state.pending_action = TOVO_PENDING_REBOOT;
  tovo_do_pending_action();
  EXPECT_EQ(run_state.pending_action, 0);
  EXPECT_EQ(shell.mode, TOVO_MODE_BOOT);
  EXPECT_EQ(pstate.ticks, -15);
  EXPECT_EQ(pstate.ram[0x1234], 0);
  EXPECT_STREQ(shell.current_folder, "");
  ASSERT_NE(pitem[0], nullptr);
  EXPECT_STREQ(pitem[0]->code, "");  // a new, empty working cart
  EXPECT_NE(pstate.cart, nullptr);
  tovo_destroy_code_tabs();
}

TEST_F(boot, ResetGlitchRunsSixTicksThenRestarts) {
  shell.frame_rate = 30;
  snprintf(run_state.param, sizeof run_state.param, "lvl");  // the cart was started with it
  run_state.pending_param[0] = 0;
  pstate.reset_counter = 1;
  for (int i = 0; i < 5; i++) {
    update_reset_glitch();
    EXPECT_NE(pstate.reset_counter, 0) << i;
  }
  EXPECT_EQ(run_state.pending_action, 0);
  update_reset_glitch();
  EXPECT_EQ(pstate.reset_counter, 0);
  EXPECT_EQ(run_state.pending_action, TOVO_PENDING_RUN);
  EXPECT_STREQ(run_state.pending_param, "lvl");  // run_cart makes it current again
  run_state.pending_action = 0;
  shell.frame_rate = 60;
  pstate.reset_counter = 1;
  int ticks = 0;
  while (pstate.reset_counter != 0 && ticks < 100) {
    update_reset_glitch();
    ticks++;
  }
  EXPECT_EQ(ticks, 12);
}

}  // namespace
