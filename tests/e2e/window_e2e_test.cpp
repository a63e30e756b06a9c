// Carts given on the command line, played in a real window under Xvfb; the
// screen is read back from the server's frame-buffer file.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb.h"

namespace {

using tovo_test::screen_dump;
using tovo_test::sleep_ms;
using tovo_test::wait_for;

constexpr uint32_t FOLDER_BLUE = 0x3ca0f5;  // colour 12
constexpr uint32_t LIGHT_GREY = 0xb0b2bc;   // colour 6: the stopped bar
constexpr uint32_t GRASS = 0x1e8850;        // the built-in game's garden

using tovo_test::env_or;

// The player in a window on its own X server, with its own HOME.
struct window : ::testing::Test {
  tovo_test::temp_dir home, fb;
  std::string screen;
  pid_t server = -1, pid = -1;

  void SetUp() override {
    if (!tovo_test::on_path("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    std::string display = ":" + std::to_string(840 + getpid() % 400);
    server = tovo_test::start_xvfb(display, fb, &screen);
    ASSERT_GT(server, 0);
    display_name = display;
  }
  void TearDown() override {
    if (pid > 0) {
      kill(pid, SIGTERM);
      EXPECT_EQ(wait_for(pid, 20000), 0);
    }
    if (server > 0) {
      kill(server, SIGTERM);
      wait_for(server, 5000);
    }
  }
  void play(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {env_or("TOVO_BINARY", TOVO_TEST_BINARY)};
    argv.insert(argv.end(), args.begin(), args.end());
    pid = tovo_test::start_process(argv,
                                   {"HOME=" + home.path, "DISPLAY=" + display_name, "SDL_AUDIODRIVER=dummy",
                                    "SDL_VIDEODRIVER=x11", "ASAN_OPTIONS=detect_leaks=0"},
                                   home);
    ASSERT_GT(pid, 0);
  }
  // Waits up to `seconds` for more than `least` pixels of the colour.
  bool wait_for_colour(uint32_t colour, int least, int seconds, screen_dump* shot) {
    for (int i = 0; i < seconds * 10; i++) {
      sleep_ms(100);
      if (shot->load(screen) && shot->count(colour) > least) return true;
    }
    return false;
  }
  // Runs xdotool with args on the server; true when it succeeded.
  bool xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    pid_t p = tovo_test::start_process(args, {"DISPLAY=" + display_name}, xdo);
    return p > 0 && wait_for(p, 10000) == 0;
  }
  // Finds the player's window and gives it the keyboard.
  bool focus_player_window() {
    if (!xdotool({"search", "--sync", "--pid", std::to_string(pid)})) return false;
    std::string window_id;
    tovo_test::read_file(xdo.file("stdout.txt"), &window_id);
    window_id = window_id.substr(0, window_id.find('\n'));
    return !window_id.empty() && xdotool({"windowfocus", "--sync", window_id});
  }
  std::string cart(const char* name) const {
    return env_or("TOVO_SOURCE_DIR", TOVO_TEST_SOURCE_DIR) + std::string("/tests/carts/") + name;
  }
  std::string display_name;
  tovo_test::temp_dir xdo;
};

// With -run the command-line cart plays after the boot, not the data pod's
// own game.
TEST_F(window, RunSwitchPlaysTheCommandLineCart) {
  play({"-run", cart("blue_screen.kx")});
  screen_dump shot;
  EXPECT_TRUE(wait_for_colour(FOLDER_BLUE, 40000, 40, &shot)) << "the cart's blue screen never showed";
  sleep_ms(1500);  // well past the moment the pod's game would start
  ASSERT_TRUE(shot.load(screen));
  EXPECT_GT(shot.count(FOLDER_BLUE), 40000);
  EXPECT_LT(shot.count(GRASS), 1000) << "the built-in game took over";
}

// A cart that draws every frame and then stops or fails leaves the stopped
// screen: its bar shows, the last frame does not stay frozen.
TEST_F(window, StopAndRuntimeErrorShowTheStoppedScreen) {
  for (const char* name : {"stops_in_window.kx", "fails_in_window.kx"}) {
    play({"-run", cart(name)});
    screen_dump shot;
    ASSERT_TRUE(wait_for_colour(FOLDER_BLUE, 40000, 40, &shot)) << name << ": the cart never showed";
    EXPECT_TRUE(wait_for_colour(LIGHT_GREY, 3000, 5, &shot)) << name << ": the stopped bar never showed";
    kill(pid, SIGTERM);
    EXPECT_EQ(wait_for(pid, 20000), 0) << name;
    pid = -1;
  }
}

// A cart whose __tostring never returns gets its runtime error within the
// frame that called it, and the player stays responsive: the stopped screen
// shows and ctrl-q ends the program.
TEST_F(window, ScriptThatNeverReturnsInsideANativeCallLeavesThePlayerResponsive) {
  ASSERT_TRUE(tovo_test::on_path("xdotool")) << "scripts/install-deps.sh installs xdotool";
  play({"-run", cart("tostring_forever_window.kx")});
  screen_dump shot;
  ASSERT_TRUE(wait_for_colour(FOLDER_BLUE, 40000, 40, &shot)) << "the cart never showed";
  EXPECT_TRUE(wait_for_colour(LIGHT_GREY, 3000, 20, &shot)) << "the stopped bar never showed";
  ASSERT_TRUE(focus_player_window());
  ASSERT_TRUE(xdotool({"key", "ctrl+q"}));
  EXPECT_EQ(wait_for(pid, 20000), 0) << "ctrl-q did not end the player";
  pid = -1;
}

// A window size in config.txt that cannot be made is refused with a word
// naming config.txt: the player starts with the default window and does not
// write the refused size back.
TEST_F(window, ImpossibleWindowSizeInConfigFallsBackToTheDefault) {
  std::string folder = home.path + "/.halvorn/tovo";
  ASSERT_EQ(system(("mkdir -p '" + folder + "'").c_str()), 0);
  ASSERT_TRUE(tovo_test::write_file(folder + "/config.txt", "screen_size 100000 100000\nwindow_size 100000 100000\n"));
  for (int start = 0; start < 2; start++) {
    play({"-run", cart("blue_screen.kx")});
    screen_dump shot;
    EXPECT_TRUE(wait_for_colour(FOLDER_BLUE, 40000, 40, &shot)) << "start " << start;
    kill(pid, SIGTERM);
    EXPECT_EQ(wait_for(pid, 20000), 0) << "start " << start;
    pid = -1;
    std::string config, err;
    ASSERT_TRUE(tovo_test::read_file(folder + "/config.txt", &config));
    EXPECT_EQ(config.find("100000"), std::string::npos) << config;
    tovo_test::read_file(home.file("stderr.txt"), &err);
    if (start == 0) {
      EXPECT_NE(err.find("config.txt: screen_size 100000 100000 cannot be used"), std::string::npos) << err;
    }
  }
}

// A key tapped faster than a frame (xdotool's "key" presses and releases at
// once) still reaches the buttons: the pause key opens the menu, and after
// "continue" (tapped too) it opens it again.
TEST_F(window, QuickTapOfThePauseKeyOpensTheMenu) {
  ASSERT_TRUE(tovo_test::on_path("xdotool")) << "scripts/install-deps.sh installs xdotool";
  play({"-run", cart("blue_screen.kx")});
  screen_dump shot;
  ASSERT_TRUE(wait_for_colour(FOLDER_BLUE, 40000, 40, &shot)) << "the cart never showed";
  ASSERT_TRUE(focus_player_window());
  constexpr uint32_t WHITE = 0xfffcf4;  // the menu's outline and text
  ASSERT_TRUE(shot.load(screen));
  ASSERT_LT(shot.count(WHITE), 500);
  for (int i = 0; i < 3; i++) {
    xdotool({"key", "p"});
    EXPECT_TRUE(wait_for_colour(WHITE, 500, 6, &shot)) << "tap " << i << " was lost";
    xdotool({"key", "z"});  // "continue"
    for (int j = 0; j < 60 && shot.load(screen) && shot.count(WHITE) >= 500; j++) sleep_ms(100);
    EXPECT_LT(shot.count(WHITE), 500) << "the menu did not close after tap " << i;
  }
}

}  // namespace
