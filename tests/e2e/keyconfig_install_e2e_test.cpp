// A cart run with -x installs the demo carts and the preloaded games, opens
// the key configuration screen and takes a screenshot of it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/data/gfx.h"
#include "engine/formats/png.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

using tovo_test::env_or;

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// The first picture under the home folder that is not an installed cart
// (the screenshot goes to the desktop folder).
std::string find_screenshot(const std::string& home) {
  namespace fs = std::filesystem;
  for (const auto& entry : fs::recursive_directory_iterator(home)) {
    std::string path = entry.path().string();
    bool installed = path.find("/carts/") != std::string::npos || path.find("/bbs/") != std::string::npos;
    if (!installed && entry.path().extension() == ".png") return path;
  }
  return "";
}

uint32_t rgb_at(const tarq_bitmap* b, int x, int y) {
  int scale = b->width / 128;
  return tarq_row32(b, y * scale)[x * scale] & 0xffffff;
}

}  // namespace

TEST(KeyconfigInstallE2e, InstallsCartsAndShowsTheKeyConfigurationScreen) {
  std::string binary = env_or("TOVO_BINARY", TOVO_TEST_BINARY);
  std::string source = env_or("TOVO_SOURCE_DIR", TOVO_TEST_SOURCE_DIR);
  tovo_test::temp_dir home;
  pid_t pid = tovo_test::start_process({binary, "-x", source + "/tests/carts/keyconfig_install.kx"},
                                       {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}, home);
  ASSERT_GT(pid, 0);
  ASSERT_EQ(tovo_test::wait_for(pid, 60000), 0);
  std::string out;
  tovo_test::read_file(home.file("stdout.txt"), &out);
  EXPECT_NE(out.find("done"), std::string::npos) << out;

  std::string appdata = home.path + "/.halvorn/tovo/";
  for (const char* demo : {"hello.kx", "circles.kx", "palette.kx", "worm.kx"})
    EXPECT_TRUE(exists(appdata + "carts/demos/" + demo)) << demo;
  for (const char* game : {"tovo_hop.kx.png", "tovo_catch.kx.png", "tovo_pong.kx.png", "tovo_garden.kx.png"})
    EXPECT_TRUE(exists(appdata + "carts/games/" + game)) << game;
  // The bulletin-board cache: by id, all-digit ids in a folder of their own.
  EXPECT_TRUE(exists(appdata + "bbs/carts/tovo_hop.kx.png"));
  EXPECT_TRUE(exists(appdata + "bbs/0/1003.kx.png"));
  EXPECT_TRUE(exists(appdata + "bbs/2/20417.kx.png"));

  std::string shot = find_screenshot(home.path);
  ASSERT_FALSE(shot.empty()) << "no screenshot under " << home.path;
  tarq_bitmap* b = tarq_load_png(shot.c_str());
  ASSERT_NE(b, nullptr) << shot;
  ASSERT_GE(b->width, 128);
  EXPECT_EQ(rgb_at(b, 100, 3), 0xfffcf4u) << "the white title bar";
  EXPECT_EQ(rgb_at(b, 2, 80), 0x1e2446u) << "the night-blue frame";
  EXPECT_EQ(rgb_at(b, 5, 42), 0xb0b2bcu) << "the light-grey list box";
  EXPECT_EQ(rgb_at(b, 119, 45), 0xff78b4u) << "the pink bar of the first key asked for";
  tarq_destroy_bitmap(b);
}
