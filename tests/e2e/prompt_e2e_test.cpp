// Prompt commands and cart loading end to end, headless with -x: a cart
// makes a folder, enters it, saves itself there and lists what it saved; the
// saved picture cart runs again with its code and data; info() draws the
// file name and the cart's counts; a damaged and a future-version picture
// cart and old text carts print the loader's lines, also when the player
// was only asked to export.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/formats/png.h"
#include "engine/formats/pod_file.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

struct run_result {
  int status;
  std::string out;
};

// Runs the player with -x on the cart with HOME in the given folder.
run_result run_cart(const std::string& cart, const tovo_test::temp_dir& home) {
  const char* binary = getenv("TOVO_BINARY");
  pid_t pid = tovo_test::start_process({binary ? binary : TOVO_TEST_BINARY, "-x", cart},
                                       {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}, home);
  if (pid < 0) return {-1, ""};
  run_result r{tovo_test::wait_for(pid, 60000), ""};
  tovo_test::read_file(home.file("stdout.txt"), &r.out);
  return r;
}

std::string source_cart(const char* name) {
  const char* dir = getenv("TOVO_SOURCE_DIR");
  return std::string(dir ? dir : TOVO_TEST_SOURCE_DIR) + "/tests/carts/" + name;
}

// Byte i of a picture cart lives in the low two bits of each channel of
// pixel i.
void set_payload_byte(tarq_bitmap* picture, int32_t i, uint8_t v) {
  uint32_t& p = reinterpret_cast<uint32_t*>(picture->pixels)[i];
  uint32_t spread = (v & 3u) | ((v >> 2) & 3u) << 8 | ((v >> 4) & 3u) << 16 | ((v >> 6) & 3u) << 24;
  p = (p & ~0x03030303u) | spread;
}

// A copy of the cart picture template of the data pod beside the player.
tarq_bitmap* cart_template() {
  const char* binary = getenv("TOVO_BINARY");
  std::string path = binary ? binary : TOVO_TEST_BINARY;
  path = path.substr(0, path.rfind('/') + 1) + "data.pod";
  tarq_pod* pod = tarq_load_pod(path.c_str());
  tarq_pod* resources = pod ? tarq_load_pod_item(pod, 1) : nullptr;
  tarq_bitmap* t = resources ? (tarq_bitmap*)cpod_get_item(resources, 250, TARQ_ITEM_BITMAP) : nullptr;
  tarq_bitmap* copy = t && t->depth == 32 ? tarq_create_bitmap(t->width, t->height, 32) : nullptr;
  if (copy) memcpy(copy->pixels, t->pixels, (size_t)t->width * t->height * 4);
  tarq_destroy_pod(resources);
  tarq_destroy_pod(pod);
  return copy;
}

struct PromptE2e : testing::Test {
  tovo_test::temp_dir home;
  std::string carts() const { return home.path + "/.halvorn/tovo/carts/"; }
};

TEST_F(PromptE2e, FoldersSaveListAndTheSavedCartRunsAgain) {
  run_result first = run_cart(source_cart("prompt_files.kx"), home);
  EXPECT_EQ(first.status, 0) << first.out;
  EXPECT_NE(first.out.find("ls 1 a.kx.png\nls 2\ndone\n"), std::string::npos) << first.out;
  EXPECT_TRUE(tovo_test::is_directory(carts() + "d/e"));
  EXPECT_TRUE(tovo_test::file_exists(carts() + "d/b.kx"));
  ASSERT_TRUE(tovo_test::file_exists(carts() + "d/a.kx.png"));

  // The saved picture shows the data pod's cart template around the label.
  tarq_bitmap* picture = tarq_load_png((carts() + "d/a.kx.png").c_str());
  tarq_bitmap* templ = cart_template();
  ASSERT_TRUE(picture && templ);
  for (int y : {2, 100, 160, 202})
    for (int x : {2, 8, 150}) {
      EXPECT_EQ(tarq_row32(picture, y)[x] & 0xfcfcfcfc, tarq_row32(templ, y)[x] & 0xfcfcfcfc) << x << ", " << y;
    }
  EXPECT_NE(tarq_row32(templ, 100)[2] & 0xfcfcfc, 0u) << "the template's frame is not black";
  tarq_destroy_bitmap(picture);
  tarq_destroy_bitmap(templ);

  run_result second = run_cart(carts() + "d/a.kx.png", home);
  EXPECT_EQ(second.status, 0) << second.out;
  EXPECT_NE(second.out.find("round trip 7\ndone\n"), std::string::npos) << second.out;
}

TEST_F(PromptE2e, SaveAndMkdirStayInsideTheCartsFolder) {
  run_result r = run_cart(source_cart("save_outside.kx"), home);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("up false\nup2 false\nmkdir 0\ntop true\ndone\n"), std::string::npos) << r.out;
  EXPECT_TRUE(tovo_test::file_exists(carts() + "top.kx"));
  for (const char* outside : {"/.halvorn/tovo/escape.kx", "/.halvorn/escape2.kx", "/.halvorn/tovo/made"})
    EXPECT_FALSE(tovo_test::file_exists(home.path + outside) || tovo_test::is_directory(home.path + outside))
        << outside;
}

// extcmd("screen") shows what the cart has drawn, in the console's colours,
// even before the first frame was presented.
TEST_F(PromptE2e, AScreenshotInTheFirstFrameShowsTheCartsScreen) {
  run_result r = run_cart(source_cart("first_frame_screen.kx"), home);
  EXPECT_EQ(r.status, 0) << r.out;
  tarq_bitmap* shot = tarq_load_png((home.path + "/Desktop/tovo_0.png").c_str());
  ASSERT_NE(shot, nullptr);
  ASSERT_EQ(shot->width, 128);
  auto rgb = [&](int32_t x, int32_t y) {
    uint32_t p = shot->depth == 32 ? reinterpret_cast<uint32_t*>(shot->rows[y])[x] : shot->rows[y][x];
    return p & 0xffffffu;
  };
  uint32_t blue = rgb(10, 10), red = rgb(100, 100);
  tarq_destroy_bitmap(shot);
  EXPECT_NE(blue, red);
  for (uint32_t c : {blue, red}) {
    uint32_t r8 = c >> 16 & 0xff, g8 = c >> 8 & 0xff, b8 = c & 0xff;
    EXPECT_FALSE(r8 == g8 && g8 == b8) << std::hex << c;  // a colour, not a grey
  }
  EXPECT_GT(blue & 0xff, blue >> 16 & 0xff);  // colour 12 is a blue
  EXPECT_GT(red >> 16 & 0xff, red & 0xff);    // colour 8 a red
}

TEST_F(PromptE2e, DamagedAndFuturePictureCartsSayWhyTheyDoNotLoad) {
  ASSERT_EQ(run_cart(source_cart("prompt_files.kx"), home).status, 0);
  std::string saved = carts() + "d/a.kx.png";
  const struct {
    const char* name;
    int32_t byte;
    uint8_t value;
    const char* line;
  } cases[] = {
      {"damaged.kx.png", 0x10, 0x5a, "cartridge data is corrupted\n"},
      {"future.kx.png", 0x8000, 99, "future version: 99\n"},
  };
  for (const auto& c : cases) {
    tarq_bitmap* picture = tarq_load_png(saved.c_str());
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(picture->depth, 32);
    set_payload_byte(picture, c.byte, c.value);
    std::string path = carts() + c.name;
    ASSERT_EQ(tarq_save_png(path.c_str(), picture), 0);
    tarq_destroy_bitmap(picture);
    run_result r = run_cart(path, home);
    EXPECT_NE(r.status, 0) << c.name;
    size_t line = r.out.find(c.line);
    EXPECT_NE(line, std::string::npos) << c.name << ":\n" << r.out;
    EXPECT_GT(r.out.find("could not load " + path), line) << c.name << ":\n" << r.out;
  }
}

TEST_F(PromptE2e, InfoDrawsTheFileAndTheCartsCounts) {
  std::string code;
  ASSERT_TRUE(tovo_test::read_file(source_cart("info.kx"), &code));
  std::string cart = home.file("info.kx");
  ASSERT_TRUE(tovo_test::write_file(cart, code));
  // The lines info() is to draw, "colour:text", for the cart to compare with
  // what it drew: the file, then this cart's own tokens, characters and
  // packed size.
  char counts[160];
  snprintf(counts, sizeof counts, "6:tokens:     %5d /  8192|6:chars:      %5d / 65535|6:compressed: %5d / 15616", 272,
           1688, 815);
  std::string lines = "14:file: " + cart + "|" + counts;
  const char* binary = getenv("TOVO_BINARY");
  pid_t pid = tovo_test::start_process({binary ? binary : TOVO_TEST_BINARY, "-x", cart, "-p", lines},
                                       {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}, home);
  ASSERT_GE(pid, 0);
  EXPECT_EQ(tovo_test::wait_for(pid, 60000), 0);
  std::string out;
  tovo_test::read_file(home.file("stdout.txt"), &out);
  // The file takes a console row per 32 characters.
  std::string want;
  size_t file_rows = ((std::string("file: ") + cart).size() + 31) / 32;
  for (size_t i = 0; i < file_rows + 3; i++) want += "same\n";
  want += "then nothing\n";
  EXPECT_NE(out.find(want), std::string::npos) << out;
}

TEST_F(PromptE2e, AnOldCartPrintsItsLegacyChange) {
  run_result r = run_cart(source_cart("legacy_v4.kx"), home);
  EXPECT_EQ(r.status, 0) << r.out;
  size_t legacy = r.out.find("legacy: pat 0 swap chan: 0 2\n");
  EXPECT_NE(legacy, std::string::npos) << r.out;
  EXPECT_GT(r.out.find("music 2 65 1\n"), legacy) << r.out;
  EXPECT_EQ(r.out.find("api injected"), std::string::npos) << r.out;
}

TEST_F(PromptE2e, TheOldApiCartGetsItsNamesBack) {
  run_result r = run_cart(source_cart("legacy_api.kx"), home);
  EXPECT_EQ(r.status, 0) << r.out;
  size_t legacy = r.out.find("legacy: 0.1.1 api injected\n");
  EXPECT_NE(legacy, std::string::npos) << r.out;
  size_t ran = r.out.find("rand is rnd\n");
  EXPECT_NE(ran, std::string::npos) << r.out;
  EXPECT_GT(ran, legacy) << r.out;
}

TEST_F(PromptE2e, ExportingPrintsTheLoadersLinesAndEnds) {
  const char* binary = getenv("TOVO_BINARY");
  pid_t pid = tovo_test::start_process(
      {binary ? binary : TOVO_TEST_BINARY, "-export", home.file("out.html"), source_cart("legacy_v4.kx")},
      {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}, home);
  ASSERT_GE(pid, 0);
  EXPECT_EQ(tovo_test::wait_for(pid, 60000), 0);
  std::string out;
  tovo_test::read_file(home.file("stdout.txt"), &out);
  EXPECT_NE(out.find("legacy: pat 0 swap chan: 0 2\n"), std::string::npos) << out;
}

}  // namespace
