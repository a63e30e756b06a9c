// The built player with -kiosk: the boot ends in the cart browser, which sets
// its lists up from the favourites file and leaves that file as it was.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <string>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(kiosk, BootEndsInTheBrowserWithTheFavouritesRead) {
  tovo_test::temp_dir home;
  std::string app = home.path + "/.halvorn";
  mkdir(app.c_str(), 0755);
  app += "/tovo";
  mkdir(app.c_str(), 0755);
  const std::string favourites = "|4321 |9 |2 |maker |  |far cart\n";
  ASSERT_TRUE(tovo_test::write_file(app + "/favourites.txt", favourites));
  pid_t pid = tovo_test::start_process({TOVO_TEST_BINARY, "-kiosk"},
                                       {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}, home);
  ASSERT_GT(pid, 0);
  std::string log;
  auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
    tovo_test::read_file(app + "/log.txt", &log);
    if (log.find("splore_init") != std::string::npos) break;
    tovo_test::sleep_ms(100);
  }
  kill(pid, SIGTERM);
  tovo_test::wait_for(pid, 10000);
  EXPECT_NE(log.find("splore_init"), std::string::npos) << log;
  std::string after;
  ASSERT_TRUE(tovo_test::read_file(app + "/favourites.txt", &after));
  EXPECT_EQ(after, favourites);
}

}  // namespace
