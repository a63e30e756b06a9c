// Carts given on the command line, played in a real window under Xvfb; the
// screen is read back from the server's frame-buffer file.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
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
// The stopped bar's bottom row is light grey from edge to edge (128 console
// pixels, 512 screen pixels at the fullscreen scale); no other screen of
// the boot has a whole grey row.
constexpr int STOPPED_BAR_ROW = 400;

bool shows_stopped_bar(const screen_dump& shot) {
  for (uint32_t y = 0; y < shot.height; y++) {
    int grey = 0;
    for (uint32_t x = 0; x < shot.width; x++) grey += shot.rgb(x, y) == LIGHT_GREY;
    if (grey >= STOPPED_BAR_ROW) return true;
  }
  return false;
}

using tovo_test::env_or;

// Sends WM_PROTOCOLS / WM_DELETE_WINDOW to the window whose id is the first
// argument, through libX11.
constexpr const char* CLOSE_WINDOW_SCRIPT = R"(
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
d = x.XOpenDisplay(None)
if not d:
    sys.exit(1)
window = int(sys.argv[1])
e = Event()
e.xclient.type = 33  # ClientMessage
e.xclient.window = window
e.xclient.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
e.xclient.format = 32
e.xclient.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
sent = x.XSendEvent(d, window, 0, 0, ctypes.byref(e))
x.XFlush(d)
x.XCloseDisplay(d)
sys.exit(0 if sent else 1)
)";

// The last "count N" line of the output; -1 when there is none.
int last_count(const std::string& out) {
  size_t at = out.rfind("count ");
  return at == std::string::npos ? -1 : atoi(out.c_str() + at + 6);
}

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
  // Waits up to `seconds` for the stopped screen's bar.
  bool wait_for_stopped_bar(int seconds, screen_dump* shot) {
    for (int i = 0; i < seconds * 10; i++) {
      sleep_ms(100);
      if (shot->load(screen) && shows_stopped_bar(*shot)) return true;
    }
    return false;
  }
  // Waits up to `seconds` for more than `least` pixels of the colour.
  bool wait_for_colour(uint32_t colour, int least, int seconds, screen_dump* shot) {
    for (int i = 0; i < seconds * 10; i++) {
      sleep_ms(100);
      if (shot->load(screen) && shot->count(colour) > least) return true;
    }
    return false;
  }
  // Taps key until more than `least` pixels show colour: a tap may come
  // while the window is still settling, so it is tried again, for a
  // generous while.
  bool tap_until_colour(const std::string& key, uint32_t colour, int least, screen_dump* shot) {
    for (int tap = 0; tap < 5; tap++) {
      xdotool({"key", key});
      if (wait_for_colour(colour, least, 8, shot)) return true;
    }
    return false;
  }
  // Runs xdotool with args on the player's display; true when it succeeded.
  // What it printed is in xdo's stdout.txt.
  bool xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    pid_t p = tovo_test::start_process(args, {"DISPLAY=" + display_name}, xdo);
    return p > 0 && wait_for(p, 10000) == 0;
  }
  // Finds the player's window and gives it the keyboard; its id, or "".
  std::string focus_window() {
    if (!xdotool({"search", "--sync", "--pid", std::to_string(pid)})) return "";
    std::string id;
    tovo_test::read_file(xdo.file("stdout.txt"), &id);
    id = id.substr(0, id.find('\n'));
    if (!id.empty()) xdotool({"windowfocus", "--sync", id});
    return id;
  }
  bool focus_player_window() { return !focus_window().empty(); }
  std::string err() const {
    std::string text;
    tovo_test::read_file(home.file("stderr.txt"), &text);
    return text;
  }
  // Waits up to `seconds` for the text on the player's standard error.
  bool wait_for_text(const std::string& text, int seconds) {
    for (int i = 0; i < seconds * 10; i++) {
      if (err().find(text) != std::string::npos) return true;
      sleep_ms(100);
    }
    return false;
  }
  // Waits up to ms for the player to end: its exit status, or -1.
  int ended(int ms) {
    int status = wait_for(pid, ms);
    pid = -1;
    return status;
  }
  // The size of the player's window as the X server has it ("WxH"), or "".
  std::string window_size() {
    std::string id = focus_window();
    if (id.empty() || !xdotool({"getwindowgeometry", id})) return "";
    std::string text;
    tovo_test::read_file(xdo.file("stdout.txt"), &text);
    size_t at = text.find("Geometry: ");
    return at == std::string::npos ? "" : text.substr(at + 10, text.find('\n', at) - at - 10);
  }
  std::string folder() const { return home.path + "/.halvorn/tovo"; }
  std::string log() const {
    std::string text;
    tovo_test::read_file(folder() + "/log.txt", &text);
    return text;
  }
  std::string cart(const char* name) const {
    return env_or("TOVO_SOURCE_DIR", TOVO_TEST_SOURCE_DIR) + std::string("/tests/carts/") + name;
  }
  // Asks the player's window to close, as a window manager's close button
  // does (WM_DELETE_WINDOW); true when the request was sent.
  bool close_window() {
    std::string id = focus_window();
    if (id.empty()) return false;
    pid_t p = tovo_test::start_process({"python3", "-c", CLOSE_WINDOW_SCRIPT, id}, {"DISPLAY=" + display_name}, xdo);
    return p > 0 && wait_for(p, 10000) == 0;
  }
  std::string out() const {
    std::string text;
    tovo_test::read_file(home.file("stdout.txt"), &text);
    return text;
  }
  // Waits up to `seconds` for the text on the player's standard output.
  bool wait_for_output(const std::string& text, int seconds) {
    for (int i = 0; i < seconds * 10; i++) {
      if (out().find(text) != std::string::npos) return true;
      sleep_ms(100);
    }
    return false;
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
    EXPECT_TRUE(wait_for_colour(WHITE, 500, 20, &shot)) << "tap " << i << " was lost";
    xdotool({"key", "z"});  // "continue"
    for (int j = 0; j < 200 && shot.load(screen) && shot.count(WHITE) >= 500; j++) sleep_ms(100);
    EXPECT_LT(shot.count(WHITE), 500) << "the menu did not close after tap " << i;
  }
}

// A cart with a syntax error stops on the stopped screen and its report
// reaches the terminal; once the file is mended on disk, ctrl-r on the
// stopped screen reads it again and runs it.
TEST_F(window, CtrlROnTheStoppedScreenRunsTheMendedCart) {
  ASSERT_TRUE(tovo_test::on_path("xdotool")) << "scripts/install-deps.sh installs xdotool";
  const std::string head = "tovo cartridge // tovo.invalid\nversion 34\n__lua__\n";
  const std::string file = home.file("mend.kx");
  ASSERT_TRUE(tovo_test::write_file(file, head + "function _draw()\n cls(12)\nif true then\nend\n"));
  play({"-run", file});
  // The report reaches standard error as the cart stops.
  ASSERT_TRUE(wait_for_text("syntax error", 40)) << err();
  EXPECT_NE(err().find("syntax error line 1 (tab 0)\nfunction _draw()\n"), std::string::npos) << err();
  screen_dump shot;
  ASSERT_TRUE(wait_for_stopped_bar(10, &shot)) << "the stopped bar never showed";
  EXPECT_LT(shot.count(FOLDER_BLUE), 20000) << "the broken cart drew";
  ASSERT_TRUE(tovo_test::write_file(file, head + "function _draw()\n cls(12)\nend\n"));
  ASSERT_FALSE(focus_window().empty());
  EXPECT_TRUE(tap_until_colour("ctrl+r", FOLDER_BLUE, 40000, &shot)) << "ctrl-r did not run the mended cart";
}

// A cart named without -run is loaded by the boot and not run; ctrl-r on
// the stopped screen runs it.
TEST_F(window, CtrlRRunsACartLoadedWithoutRun) {
  ASSERT_TRUE(tovo_test::on_path("xdotool")) << "scripts/install-deps.sh installs xdotool";
  play({cart("blue_screen.kx")});
  screen_dump shot;
  ASSERT_TRUE(wait_for_stopped_bar(40, &shot)) << "the stopped bar never showed";
  EXPECT_LT(shot.count(FOLDER_BLUE), 20000) << "the cart ran without -run";
  ASSERT_FALSE(focus_window().empty());
  EXPECT_TRUE(tap_until_colour("ctrl+r", FOLDER_BLUE, 40000, &shot)) << "ctrl-r did not run the loaded cart";
}

// With -run, a cart that does not load keeps the player on its message (the
// built-in game does not start) and the program ends with status 1.
TEST_F(window, RunOfAMissingCartStaysOnTheMessageAndEndsWithOne) {
  play({"-run", home.file("missing.kx")});
  // The boot tries the cart at the same tick as it would print its messages.
  ASSERT_TRUE(wait_for_text("could not load", 40)) << err();
  EXPECT_NE(err().find("could not load " + home.file("missing.kx") + ": there is no such file"), std::string::npos)
      << err();
  screen_dump shot;
  ASSERT_TRUE(wait_for_stopped_bar(10, &shot)) << "the stopped bar never showed";
  for (int i = 0; i < 30; i++) {  // three seconds: well past the moment the game would start
    ASSERT_TRUE(shot.load(screen));
    ASSERT_LT(shot.count(GRASS), 1000) << "the built-in game started";
    sleep_ms(100);
  }
  EXPECT_EQ(err().find("booting"), std::string::npos) << "the boot's lines are for the screen: " << err();
  kill(pid, SIGTERM);
  EXPECT_EQ(ended(20000), 1);
}

// The window takes the size that -width/-height or config.txt ask for; the
// first start, without config.txt, is fullscreen.
TEST_F(window, WindowSizeFromSwitchesAndConfig) {
  ASSERT_TRUE(tovo_test::on_path("xdotool")) << "scripts/install-deps.sh installs xdotool";
  struct size_case {
    const char* config;  // null: no config.txt
    std::vector<std::string> args;
    const char* size;      // as the X server has the window
    const char* log_line;  // in log.txt
  };
  const size_case cases[] = {
      {nullptr, {}, "800x600", "setting fullscreen window size to 800 600"},
      {nullptr, {"-windowed", "1", "-width", "400", "-height", "300"}, "400x300", "setting window size to 400 300"},
      {"windowed 1\nwindow_size 500 350\n", {}, "500x350", "setting window size to 500 350"},
      {"windowed 1\nwindow_size 500 350\n",
       {"-width", "420", "-height", "310"},
       "420x310",
       "setting window size to 420 310"},
      {"windowed 1\nscreen_size 450 320\n", {}, "450x320", "setting window size to 450 320"},
      {"windowed 1\n", {}, "580x540", "setting window size to 580 540"},
  };
  for (const size_case& c : cases) {
    SCOPED_TRACE(c.size);
    ASSERT_EQ(system(("rm -rf '" + folder() + "' && mkdir -p '" + folder() + "'").c_str()), 0);
    if (c.config) {
      ASSERT_TRUE(tovo_test::write_file(folder() + "/config.txt", c.config));
    }
    std::vector<std::string> args = c.args;
    args.push_back("-run");
    args.push_back(cart("blue_screen.kx"));
    play(args);
    screen_dump shot;
    EXPECT_TRUE(wait_for_colour(FOLDER_BLUE, 10000, 40, &shot)) << "the cart never showed";
    EXPECT_EQ(window_size(), c.size);
    kill(pid, SIGTERM);
    EXPECT_EQ(ended(20000), 0);
    EXPECT_NE(log().find(c.log_line), std::string::npos) << log();
  }
}

// A window the user resized opens at that size on the next start:
// config.txt keeps it as window_size.
TEST_F(window, ResizedWindowIsRememberedForTheNextStart) {
  ASSERT_TRUE(tovo_test::on_path("xdotool")) << "scripts/install-deps.sh installs xdotool";
  ASSERT_EQ(system(("mkdir -p '" + folder() + "'").c_str()), 0);
  ASSERT_TRUE(tovo_test::write_file(folder() + "/config.txt", "windowed 1\nwindow_size 400 300\n"));
  play({"-run", cart("blue_screen.kx")});
  screen_dump shot;
  ASSERT_TRUE(wait_for_colour(FOLDER_BLUE, 10000, 40, &shot)) << "the cart never showed";
  std::string id = focus_window();
  ASSERT_FALSE(id.empty());
  ASSERT_TRUE(xdotool({"windowsize", "--sync", id, "520", "360"}));
  // The player notes the new size when its next frame reads the event.
  for (int i = 0; i < 100 && log().find("window resized to 520 360") == std::string::npos; i++) sleep_ms(100);
  kill(pid, SIGTERM);
  EXPECT_EQ(ended(20000), 0);
  std::string config;
  ASSERT_TRUE(tovo_test::read_file(folder() + "/config.txt", &config));
  EXPECT_NE(config.find("window_size 520 360 "), std::string::npos) << config;
  play({"-run", cart("blue_screen.kx")});
  ASSERT_TRUE(wait_for_colour(FOLDER_BLUE, 10000, 40, &shot)) << "the cart never showed again";
  EXPECT_EQ(window_size(), "520x360");
}

// An idle machine boots without "warning: running below 30fps" (the only
// text the boot writes in pink) before the built-in game starts.
TEST_F(window, IdleBootShowsNoSlowMachineWarning) {
  constexpr uint32_t PINK = 0xff78b4;  // colour 14
  // The warning is right when the machine is too slow, and a test machine
  // under load may be, for a while: a boot may warn only if every one of
  // three does. A player that warns on an idle machine warns every time.
  int most_pink = 0;
  for (int boot = 0; boot < 3; boot++) {
    if (pid > 0) {
      kill(pid, SIGTERM);
      ASSERT_EQ(wait_for(pid, 20000), 0);
      pid = 0;
    }
    play({});
    screen_dump shot;
    most_pink = 0;
    bool game = false;
    for (int i = 0; i < 600 && !game; i++) {
      sleep_ms(50);
      if (!shot.load(screen)) continue;
      game = shot.count(GRASS) > 20000;  // the game has flowers of that pink
      if (!game) most_pink = std::max(most_pink, shot.count(PINK));
    }
    ASSERT_TRUE(game) << "the built-in game never started";
    if (most_pink < 100) break;
  }
  EXPECT_LT(most_pink, 100) << "the boot warned of a slow machine three times";
}

// Every way to quit a window ends through the main loop: the running cart's
// data is saved as the cart last set it (not as the autosave a second
// earlier had it), config.txt is written, every engine object is freed and
// the exit status is 0.
TEST_F(window, EveryQuitSavesTheCartDataAndEndsWithZero) {
  ASSERT_TRUE(tovo_test::on_path("xdotool")) << "scripts/install-deps.sh installs xdotool";
  ASSERT_TRUE(tovo_test::on_path("python3"));
  struct quit_case {
    const char* name;
    std::function<bool()> quit;
  };
  const quit_case cases[] = {
      {"the window's close button", [&] { return close_window(); }},
      {"ctrl-q",
       [&] {
         return focus_player_window() && xdotool({"key", "ctrl+q"});
       }},
      {"the system's quit", [&] { return kill(pid, SIGTERM) == 0; }},
  };
  const std::string saved = folder() + "/cdata/tovo_e2e_quit.kxd.txt";
  for (const quit_case& c : cases) {
    SCOPED_TRACE(c.name);
    unlink(saved.c_str());
    unlink((folder() + "/config.txt").c_str());
    play({"-run", cart("counts_frames_window.kx")});
    // Past the first autosave, the count goes on.
    ASSERT_TRUE(wait_for_output("count 45\n", 60)) << out() << err();
    ASSERT_TRUE(c.quit());
    ASSERT_EQ(ended(20000), 0) << err();
    std::string text;
    ASSERT_TRUE(tovo_test::read_file(saved, &text));
    ASSERT_GE(text.size(), 8u) << text;
    const int kept = (int)(strtoul(text.substr(0, 8).c_str(), nullptr, 16) >> 16);
    EXPECT_EQ(kept, last_count(out()));
    EXPECT_TRUE(tovo_test::file_exists(folder() + "/config.txt"));
    EXPECT_NE(log().find("tarq_items_created: 0"), std::string::npos) << log();
  }
}

// The exit status set before the window was closed is the program's: a
// command-line cart that could not be loaded ends with 1.
TEST_F(window, WindowCloseKeepsTheExitStatus) {
  ASSERT_TRUE(tovo_test::on_path("xdotool")) << "scripts/install-deps.sh installs xdotool";
  ASSERT_TRUE(tovo_test::on_path("python3"));
  play({"-run", home.file("missing.kx")});
  screen_dump shot;
  ASSERT_TRUE(wait_for_stopped_bar(40, &shot)) << "the stopped bar never showed";
  ASSERT_TRUE(close_window());
  EXPECT_EQ(ended(20000), 1) << err();
  EXPECT_NE(log().find("window closed"), std::string::npos) << log();
}

}  // namespace
