// The export command: its arguments, its refusals, and a whole export whose
// Linux package plays the exported cart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/machine/cart.h"
#include "player/export/export_args.h"
#include "player/export/export_bin.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

using tovo_test::temp_dir;

TEST(ExportArguments, OptionsSwitchesAndNames) {
  static tovo_export_parameters p;
  ASSERT_TRUE(extract_parameters("game -i 3,-s 2 more.kx -f -e readme.txt -c x", &p));
  ASSERT_EQ(p.name_count, 2);
  EXPECT_STREQ(p.names[0], "game");
  EXPECT_STREQ(p.names[1], "more.kx");
  EXPECT_EQ(export_option(&p, 'i'), 3);
  EXPECT_EQ(export_option(&p, 's'), 2);
  EXPECT_EQ(export_option(&p, 'f'), 1);
  EXPECT_STREQ(p.option_text['e' - 'a'], "readme.txt");
  EXPECT_EQ(export_option(&p, 'c'), -1);  // not a number
  EXPECT_EQ(export_option(&p, 'w'), -1);
  EXPECT_EQ(export_option(&p, 'p'), -1);

  EXPECT_FALSE(extract_parameters("game -I 3", &p));
  EXPECT_FALSE(extract_parameters("game -1", &p));

  std::string many;
  // clang-format off
  for (int i = 0; i < 40; i++) many += "c" + std::to_string(i) + " ";
  // clang-format on
  ASSERT_TRUE(extract_parameters(many.c_str(), &p));
  EXPECT_EQ(p.name_count, 40);
  EXPECT_STREQ(p.names[30], "c30");
}

struct printed {
  static std::vector<std::string> lines;
  static void print(const char* text, int32_t) { lines.push_back(text); }
};
std::vector<std::string> printed::lines;

TEST(ExportCommand, RefusalsSayWhy) {
  tovo_cart* cart = tarq_create_tovo_cart();
  tovo_export_context ctx{};
  ctx.cart = cart;
  ctx.folder = "";
  ctx.print = printed::print;
  struct {
    const char* arguments;
    std::vector<std::string> said;
  } cases[] = {
      {"", {"no output file"}},
      {"-i", {"no output file"}},
      {"game", {"no icon found", "please capture a label or use -i"}},
      {"game -Q", {"bad argument"}},
      {"a b c d e f g h i j k l m n o p q -i 1", {"too many carts! max: 16"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    printed::lines.clear();
    EXPECT_EQ(export_bin(c.arguments, &ctx), 1);
    EXPECT_EQ(printed::lines, c.said);
  }
  tarq_destroy_tovo_cart(cart);
}

std::string data_pod_path() {
  std::string player = TOVO_TEST_BINARY;
  return player.substr(0, player.find_last_of('/') + 1) + "data.pod";
}

int run(const std::vector<std::string>& args, const temp_dir& dir, std::string* out,
        const std::vector<std::string>& env = {}) {
  pid_t pid = tovo_test::start_process(args, env, dir);
  int status = pid < 0 ? -1 : tovo_test::wait_for(pid, 120000);
  tovo_test::read_file(dir.file("stdout.txt"), out);
  return status;
}

TEST(ExportCommand, LinuxPackagePlaysTheExportedCart) {
  if (!tovo_test::on_path("unzip")) GTEST_SKIP() << "unzip is not installed";
  temp_dir dir;
  ASSERT_TRUE(tovo_test::write_file(dir.file("game.kx"),
                                    "tovo cartridge // tovo.invalid\nversion 34\n__lua__\n"
                                    "printh(\"exported \"..(6*7))\n"));
  std::string out;
  std::string output = dir.file("game");
  ASSERT_TRUE(tovo_test::write_file(dir.file("readme"), "how to play\n"));
  ASSERT_EQ(run({TOVO_TEST_EXPORT_TOOL, data_pod_path(), TOVO_TEST_BINARY, dir.file("game.kx"), output, "-i", "0", "-e",
                 dir.file("readme")},
                dir, &out),
            0)
      << out;
  EXPECT_NE(out.find("game.bin\n"), std::string::npos) << out;
  EXPECT_NE(out.find("game.bin/linux\n"), std::string::npos) << out;
  EXPECT_NE(out.find("game.bin/game_linux.zip\n"), std::string::npos) << out;
  EXPECT_EQ(out.substr(out.size() - 3), "ok\n");

  std::string icns;
  ASSERT_TRUE(tovo_test::read_file(dir.file("game.bin/game.app/Contents/Resources/game.icns"), &icns));
  EXPECT_EQ(icns.size(), 65948u);
  std::string runtime;
  ASSERT_TRUE(tovo_test::read_file(dir.file("game.bin/raspi/game_64"), &runtime));
  EXPECT_EQ(runtime, "empty");

  // The archive lists its files with their modes (the extra file, with no
  // '.' in its name, as an executable), and no top folder.
  temp_dir listing;
  ASSERT_EQ(run({"unzip", "-Z", dir.file("game.bin/game_linux.zip")}, listing, &out), 0);
  std::vector<std::string> entries;
  size_t at = 0;
  while ((at = out.find("\n", at)) != std::string::npos) {
    size_t next = out.find("\n", at + 1);
    std::string line = out.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
    if (line.size() > 10 && (line[0] == '-' || line[0] == 'd'))
      entries.push_back(line.substr(0, 20) + line.substr(line.find_last_of(' ') + 1));
    at++;
  }
  EXPECT_EQ(entries, (std::vector<std::string>{
                         "-rw-r--r--  3.0 unx game_linux/data.pod", "-rwxrwxr-x  3.0 unx game_linux/game",
                         "-rw-r--r--  3.0 unx game_linux/game.png", "-rwxrwxr-x  3.0 unx game_linux/readme"}));

  // Unpacked elsewhere, the package's program plays the cart from its own data pod.
  temp_dir unpacked;
  ASSERT_EQ(run({"unzip", "-q", dir.file("game.bin/game_linux.zip"), "-d", unpacked.path}, unpacked, &out), 0);
  temp_dir home;
  ASSERT_EQ(run({unpacked.file("game_linux/game"), "-x", "game"}, home, &out,
                {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}),
            0)
      << out;
  EXPECT_NE(out.find("exported 42\n"), std::string::npos) << out;
}

}  // namespace
