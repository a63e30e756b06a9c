// The cart installers, from the build's own data pod: demo carts into the
// root path's demos/, preloaded games into the bulletin-board cache and the
// root path's games/.
#include <gtest/gtest.h>

#include <string>

#include "console/machine/cart.h"
#include "engine/data/pod.h"
#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/platform/host.h"
#include "player/browser/splore.h"
#include "player/cart/cart_installers.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"
#include "player/shell_state.h"
#include "tests/player/built_datapod.h"
#include "tests/support/temp_dir.h"

namespace {

struct installers : ::testing::Test {
  tovo_test::temp_home home;
  tovo_test::temp_dir root;
  tarq_pod* data = nullptr;
  void SetUp() override {
    data = tarq_load_pod(built_datapod().c_str());
    ASSERT_NE(data, nullptr);
    tarq_file* f = (tarq_file*)cpod_get_item(data, 1, TARQ_ITEM_FILE);
    ASSERT_NE(f, nullptr);
    f->pos = 0;
    shell.resources = tarq_load_pod_file("", f);
    ASSERT_NE(shell.resources, nullptr);
    snprintf(shell.root_path, sizeof shell.root_path, "%s/", root.path.c_str());
  }
  void TearDown() override {
    shell.resources = tarq_destroy_pod(shell.resources);
    tarq_destroy_pod(data);
    shell.root_path[0] = 0;
  }
};

}  // namespace

TEST_F(installers, DemoCartsAreReadableTextCarts) {
  install_demo_carts();
  const char* names[] = {"hello.kx",   "circles.kx", "lines.kx",   "rects.kx", "stars.kx", "bounce.kx",
                         "buttons.kx", "mouse.kx",   "palette.kx", "text.kx",  "clock.kx", "worm.kx"};
  for (const char* name : names) {
    std::string path = root.path + "/demos/" + name;
    tovo_cart* cart = tarq_load_tovo_cart(path.c_str());
    ASSERT_NE(cart, nullptr) << path;
    EXPECT_NE(std::string(cart->code).find("function"), std::string::npos) << name;
    tarq_destroy_tovo_cart(cart);
  }
}

TEST_F(installers, GamesGoToTheCacheAndToGames) {
  install_preloaded_bbs_carts();
  const struct {
    const char* lid;
    const char* file;
  } games[] = {{"tovo_hop", "tovo_hop.kx.png"},      {"1003", "tovo_catch.kx.png"},
               {"tovo_maze-2", "tovo_maze.kx.png"},  {"20417", "tovo_pong.kx.png"},
               {"tovo_rain", "tovo_rain.kx.png"},    {"tovo_dodge", "tovo_dodge.kx.png"},
               {"tovo_garden", "tovo_garden.kx.png"}};
  for (const auto& g : games) {
    std::string installed = root.path + "/games/" + g.file;
    tovo_cart* cart = load_tovo_cart_png(installed.c_str());
    ASSERT_NE(cart, nullptr) << installed;
    EXPECT_NE(std::string(cart->code).find("_draw"), std::string::npos) << g.file;
    tarq_destroy_tovo_cart(cart);
    char cached[1024];
    get_bbs_cart_filename(g.lid, cached);
    EXPECT_TRUE(tarq_file_exists(cached)) << g.lid << " " << cached;
  }
}

TEST_F(installers, NothingWithoutTheResources) {
  shell.resources = tarq_destroy_pod(shell.resources);
  install_demo_carts();
  install_preloaded_bbs_carts();
  EXPECT_FALSE(tarq_directory_exists((root.path + "/demos").c_str()));
  EXPECT_FALSE(tarq_directory_exists((root.path + "/games").c_str()));
}
