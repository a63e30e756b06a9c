// Exporting over an existing package: a full disk leaves the package that
// was there and says so; links planted in the package are replaced, never
// written through, and never taken into the archives.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "player/export/export_bin.h"
#include "tests/support/disk_full.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using tovo_test::temp_dir;

const std::string OLD_BYTES = "bytes that are not the exporter's to change";

std::vector<std::string> said;
void collect(const char* text, int32_t) { said.push_back(text); }

std::string read(const std::string& path) {
  std::string text;
  return tovo_test::read_file(path, &text) ? text : "<missing>";
}

// Every entry below the folder (links as links) with its bytes.
std::map<std::string, std::string> snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    std::string rel = e.path().string().substr(folder.size());
    files[rel] = e.is_symlink() ? "link" : e.is_directory() ? "folder" : read(e.path().string());
  }
  return files;
}

bool archive_has(const std::string& zip, const std::string& entry) {
  int error = 0;
  zip_t* z = zip_open(zip.c_str(), ZIP_RDONLY, &error);
  if (!z) return false;
  bool found = zip_name_locate(z, entry.c_str(), 0) >= 0;
  zip_discard(z);
  return found;
}

struct ExportPackage : ::testing::Test {
  temp_dir dir;
  tovo_cart* cart = tarq_create_tovo_cart();
  tovo_cart* boot = tarq_create_tovo_cart();
  tarq_pod* resources = tarq_create_pod(8);
  tarq_pod* font = tarq_create_pod(1);
  tarq_palette* palette = tarq_create_palette();
  tovo_export_context ctx{};
  std::string package = dir.file("game.bin");

  void SetUp() override {
    for (int32_t i = 0; i < 128 * 128; i++) cart->gfx->pixels[i] = (uint8_t)(i * 7 % 16);
    ctx.cart = cart;
    ctx.boot_cart = boot;
    ctx.resources = resources;
    ctx.font = font;
    ctx.palette = palette;
    ctx.folder = "";
    ctx.print = collect;
    said.clear();
  }
  void TearDown() override {
    tarq_destroy_tovo_cart(cart);
    tarq_destroy_tovo_cart(boot);
    tarq_destroy_pod(resources);
    tarq_destroy_pod(font);
    tarq_destroy_palette(palette);
  }
  int export_game() { return export_bin((dir.file("game") + " -i 0").c_str(), &ctx); }
};

TEST_F(ExportPackage, AFullDiskLeavesTheOldPackageAndSaysSo) {
  ASSERT_EQ(export_game(), 0);
  std::map<std::string, std::string> before = snapshot(package);
  ASSERT_EQ(before.count("/linux/data.pod"), 1u);
  said.clear();
  int result;
  {
    tovo_test::disk_full full(0);
    result = export_game();
  }
  EXPECT_EQ(result, 1);
  for (const char* line : {"could not write data.pod", "could not write game", "could not write game.png",
                           "could not write game.icns", "could not write Info.plist"})
    EXPECT_NE(std::find(said.begin(), said.end(), line), said.end()) << line;
  EXPECT_EQ(std::find(said.begin(), said.end(), "ok"), said.end());
  EXPECT_EQ(snapshot(package), before) << "every file as it was, and no file left over";
}

TEST_F(ExportPackage, LinksInThePackageAreReplacedNotWrittenThrough) {
  ASSERT_EQ(export_game(), 0);
  std::string victim = dir.file("victim"), secret = dir.file("secret");
  ASSERT_TRUE(tovo_test::write_file(victim, OLD_BYTES));
  ASSERT_TRUE(tovo_test::write_file(secret, "a private key"));
  // A program and a temporary name that point elsewhere, a link to take
  // into the archive, and a platform folder that is a link to another folder.
  ASSERT_EQ(unlink((package + "/linux/game").c_str()), 0);
  ASSERT_EQ(symlink(victim.c_str(), (package + "/linux/game").c_str()), 0);
  ASSERT_EQ(symlink(victim.c_str(), (package + "/linux/data.pod.tmp").c_str()), 0);
  ASSERT_EQ(symlink(secret.c_str(), (package + "/linux/secret").c_str()), 0);
  std::string elsewhere = dir.file("elsewhere");
  ASSERT_EQ(mkdir(elsewhere.c_str(), 0755), 0);
  ASSERT_TRUE(tovo_test::write_file(elsewhere + "/game", OLD_BYTES));
  fs::remove_all(package + "/raspi");
  ASSERT_EQ(symlink(elsewhere.c_str(), (package + "/raspi").c_str()), 0);

  said.clear();
  EXPECT_EQ(export_game(), 0) << (said.empty() ? "" : said.back());
  EXPECT_EQ(read(victim), OLD_BYTES);
  EXPECT_EQ(read(secret), "a private key");
  EXPECT_EQ(read(elsewhere + "/game"), OLD_BYTES);
  EXPECT_FALSE(fs::exists(elsewhere + "/data.pod"));
  EXPECT_FALSE(fs::is_symlink(package + "/linux/game"));
  EXPECT_EQ(read(package + "/linux/game"), "empty");
  EXPECT_FALSE(fs::is_symlink(package + "/raspi"));
  EXPECT_TRUE(fs::is_regular_file(package + "/raspi/game_64"));
  EXPECT_TRUE(archive_has(package + "/game_linux.zip", "game_linux/game"));
  EXPECT_FALSE(archive_has(package + "/game_linux.zip", "game_linux/secret"));
}

}  // namespace
