// Carts run headless with -x: one prints what the console's bindings answer
// through printh, one writes a log file and stores and reloads cart bytes,
// one keeps cart data between two runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

// Runs the player with -x on the cart with HOME in the given folder; its
// standard output, or "" when it could not be started or failed.
std::string run_cart(const std::string& binary, const std::string& cart, const tovo_test::temp_dir& home) {
  pid_t pid = tovo_test::start_process({binary, "-x", cart},
                                       {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}, home);
  if (pid < 0) return "";
  int status = tovo_test::wait_for(pid, 60000);
  std::string out;
  tovo_test::read_file(home.file("stdout.txt"), &out);
  return status == 0 ? out : "";
}

using tovo_test::env_or;

TEST(BindingsE2e, CartPrintsWhatTheBindingsAnswer) {
  std::string binary = env_or("TOVO_BINARY", TOVO_TEST_BINARY);
  std::string source = env_or("TOVO_SOURCE_DIR", TOVO_TEST_SOURCE_DIR);
  tovo_test::temp_dir home;
  std::string out = run_cart(binary, source + "/tests/carts/bindings.kx", home);
  const char* lines[] = {
      "tostr 0x0001.8000 0xffff.0000 32768\n",
      "tonum 255 true 0\n",
      "sub el llo o\n",
      "chr hi ord 98\n",
      "split 4 b 3\n",
      "peek 33 17185\n",
      "pget 017\n",
      "mem 7\n",
      "math 3 1 -2 2 2 8 16\n",
      "rnd 0x0009.d5de [nil]\n",  // the draw that seed 7 gives
      "stat 34 [nil] 0\n",
      "btn 0 false\n",
      "serial 4\n",
      "done\n",
  };
  size_t at = 0;
  for (const char* line : lines) {
    size_t found = out.find(line, at);
    ASSERT_NE(found, std::string::npos) << "missing: " << line << "in:\n" << out;
    at = found;
  }
}

TEST(BindingsE2e, LogFileAndCstoreRoundTrip) {
  std::string binary = env_or("TOVO_BINARY", TOVO_TEST_BINARY);
  std::string source = env_or("TOVO_SOURCE_DIR", TOVO_TEST_SOURCE_DIR);
  tovo_test::temp_dir home;
  std::string out = run_cart(binary, source + "/tests/carts/storage.kx", home);
  EXPECT_NE(out.find("cstore 1\nreload 1 99\ndone\n"), std::string::npos) << out;
  std::string log;
  // The cart's output folder is named after the data pod's title.
  EXPECT_TRUE(tovo_test::read_file(home.path + "/.halvorn/tovo/appdata/tovo/e2e_log.kxl", &log));
  EXPECT_EQ(log, "log line\n");
  // The desktop folder is made when a fresh home has none.
  log.clear();
  EXPECT_TRUE(tovo_test::read_file(home.path + "/Desktop/e2e_desk.kxl", &log));
  EXPECT_EQ(log, "desk line\n");
  // The stored cart holds the one byte 99 at 0x10: the sprite sheet's
  // first row, low nibble first.
  std::string stored;
  EXPECT_TRUE(tovo_test::read_file(home.path + "/.halvorn/tovo/cstore/e2e.kx", &stored));
  EXPECT_EQ(stored, "tovo cartridge // tovo.invalid\nversion 34\n__gfx__\n" + std::string(32, '0') + "36" +
                        std::string(94, '0') + "\n");
}

TEST(BindingsE2e, CartDataPersistsBetweenRuns) {
  std::string binary = env_or("TOVO_BINARY", TOVO_TEST_BINARY);
  std::string source = env_or("TOVO_SOURCE_DIR", TOVO_TEST_SOURCE_DIR);
  tovo_test::temp_dir home;
  std::string cart = source + "/tests/carts/cartdata.kx";
  EXPECT_NE(run_cart(binary, cart, home).find("cartdata false\ndget 0\ndset 7\ndone\n"), std::string::npos)
      << "first run: no file yet";
  std::string out = run_cart(binary, cart, home);
  EXPECT_NE(out.find("cartdata true\ndget 7\ndset 14\ndone\n"), std::string::npos) << out;
  std::string saved;
  EXPECT_TRUE(tovo_test::read_file(home.path + "/.halvorn/tovo/cdata/tovo_e2e_cdata.kxd.txt", &saved));
  EXPECT_EQ(saved.substr(24, 8), "000e0000") << "slot 3 holds 14";
}

// run() starts the cart afresh, and the new run opens its cart data again.
TEST(BindingsE2e, CartDataOpensAgainAfterRun) {
  std::string binary = env_or("TOVO_BINARY", TOVO_TEST_BINARY);
  std::string source = env_or("TOVO_SOURCE_DIR", TOVO_TEST_SOURCE_DIR);
  tovo_test::temp_dir home;
  std::string out = run_cart(binary, source + "/tests/carts/cartdata_rerun.kx", home);
  EXPECT_NE(out.find("run 0 cartdata false\nrun 1 cartdata true\n"), std::string::npos) << out;
}

// reset() keeps the print cursor that cursor() set; "\^!" pokes every byte
// after its address, the newline print adds among them.
TEST(BindingsE2e, ResetKeepsThePrintCursorAndPokesTakeTheNewline) {
  std::string binary = env_or("TOVO_BINARY", TOVO_TEST_BINARY);
  std::string source = env_or("TOVO_SOURCE_DIR", TOVO_TEST_SOURCE_DIR);
  tovo_test::temp_dir home;
  std::string out = run_cart(binary, source + "/tests/carts/print_cursor.kx", home);
  EXPECT_NE(out.find("cursor 10 10 20\npoked 97 98 10\n"), std::string::npos) << out;
}

}  // namespace
