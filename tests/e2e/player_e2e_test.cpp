// The built player as a user starts it: headless runs with -x, and a real
// window under Xvfb whose screen is read back from the server's frame-buffer
// file. Each test runs the program with its own HOME.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb.h"

namespace {

using tovo_test::env_or;

struct run_result {
  int status = -1;
  std::string out;
};

using tovo_test::wait_for;

// Starts program with args and the extra environment; stdout and stderr go
// to files in dir. Returns the child's pid (or -1).
pid_t start(const std::string& program, std::vector<std::string> args, const std::vector<std::string>& env,
            const tovo_test::temp_dir& dir) {
  args.insert(args.begin(), program);
  return tovo_test::start_process(args, env, dir);
}

run_result run_headless(const std::string& program, const std::vector<std::string>& args,
                        const tovo_test::temp_dir& home) {
  run_result r;
  pid_t pid = start(program, args, {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}, home);
  if (pid < 0) return r;
  r.status = wait_for(pid, 60000);
  tovo_test::read_file(home.file("stdout.txt"), &r.out);
  return r;
}

std::string log_text(const tovo_test::temp_dir& home) {
  std::string text;
  tovo_test::read_file(home.path + "/.halvorn/tovo/log.txt", &text);
  return text;
}

struct player : ::testing::Test {
  void SetUp() override {
    binary = env_or("TOVO_BINARY", TOVO_TEST_BINARY);
    source = env_or("TOVO_SOURCE_DIR", TOVO_TEST_SOURCE_DIR);
  }
  std::string cart(const char* name) { return source + "/tests/carts/" + name; }
  std::string binary, source;
};

TEST_F(player, WithoutTheDataPodSaysSoAndEnds) {
  tovo_test::temp_dir home, bin;
  std::string copy = bin.file("tovo");
  std::string bytes;
  ASSERT_TRUE(tovo_test::read_file(binary, &bytes));
  ASSERT_TRUE(tovo_test::write_file(copy, bytes));
  chmod(copy.c_str(), 0755);
  run_result r = run_headless(copy, {"-headless"}, home);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "couldn't load " + bin.path + "/data.pod\n");
}

TEST_F(player, ExecWithAMissingCartEndsWithStatusOne) {
  tovo_test::temp_dir home;
  run_result r = run_headless(binary, {"-x", "/no/such/cart.kx"}, home);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("RUNNING: /no/such/cart.kx\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("could not load /no/such/cart.kx\n"), std::string::npos) << r.out;
}

// The console says only "could not load"; the reason goes to standard
// error and the log.
TEST_F(player, ExecTellsWhyACartDoesNotLoad) {
  tovo_test::temp_dir home, carts;
  std::string empty = carts.file("empty.kx"), text = carts.file("notes.kx");
  ASSERT_TRUE(tovo_test::write_file(empty, ""));
  ASSERT_TRUE(tovo_test::write_file(text, "shopping list\n"));
  const struct {
    std::string cart;
    const char* reason;
  } cases[] = {
      {"/no/such/cart.kx", "there is no such file"},
      {empty, "the file is empty"},
      {text, "it is not a cart"},
      {cart("future.kx"), "made for a newer version"},
  };
  for (const auto& c : cases) {
    run_result r = run_headless(binary, {"-x", c.cart}, home);
    EXPECT_EQ(r.status, 1) << c.cart;
    EXPECT_NE(r.out.find("could not load " + c.cart + "\n"), std::string::npos) << r.out;
    std::string err;
    tovo_test::read_file(home.file("stderr.txt"), &err);
    EXPECT_NE(err.find("could not load " + c.cart + ": "), std::string::npos) << err;
    EXPECT_NE(err.find(c.reason), std::string::npos) << err;
    EXPECT_NE(log_text(home).find(c.reason), std::string::npos) << c.cart;
  }
}

// The -p switch gives the cart its parameter string.
TEST_F(player, ParamSwitchReachesTheCart) {
  tovo_test::temp_dir home;
  run_result r = run_headless(binary, {"-p", "level 3", "-x", cart("param.kx")}, home);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("param [level 3]\n"), std::string::npos) << r.out;
  r = run_headless(binary, {"-x", cart("param.kx")}, home);
  EXPECT_NE(r.out.find("param []\n"), std::string::npos) << r.out;
}

// -accept_future 1 lets a cart from a newer version load from the command line.
TEST_F(player, AcceptFutureAppliesToTheCommandLineCart) {
  tovo_test::temp_dir home;
  run_result r = run_headless(binary, {"-accept_future", "1", "-x", cart("future.kx")}, home);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("from the future\n"), std::string::npos) << r.out;
}

TEST_F(player, ExecRunsACartAndShutsDownCleanly) {
  tovo_test::temp_dir home;
  run_result r = run_headless(binary, {"-x", cart("ends_at_once.kx")}, home);
  EXPECT_EQ(r.status, 0) << r.out;
  std::string log = log_text(home);
  EXPECT_NE(log.find("run_cart"), std::string::npos) << log;
  EXPECT_NE(log.find("tarq_items_created: 0"), std::string::npos) << log;
  // The application folder and its sub-folders were made, config.txt written.
  for (const char* folder : {"carts", "backup", "cdata", "cstore", "plates", "bbs/carts", "bbs/labels"})
    EXPECT_TRUE(tovo_test::is_directory(home.path + "/.halvorn/tovo/" + folder)) << folder;
  std::string config;
  ASSERT_TRUE(tovo_test::read_file(home.path + "/.halvorn/tovo/config.txt", &config));
  EXPECT_NE(config.find("version 0.2.4\n"), std::string::npos);
  EXPECT_NE(config.find("\nauto_hide_mouse_cursor 5\n"), std::string::npos);
}

// The lines after the "RUNNING" line and the console's empty line.
std::string cart_output(const run_result& r) {
  size_t start_at = r.out.find("\n\n");
  return start_at == std::string::npos ? r.out : r.out.substr(start_at + 2);
}

TEST_F(player, FramesAndTimeAtThirtyASecond) {
  tovo_test::temp_dir home;
  run_result r = run_headless(binary, {"-x", cart("frames.kx")}, home);
  EXPECT_EQ(r.status, 0);
  std::string out = cart_output(r);
  double first = -1, last = -1;
  ASSERT_EQ(sscanf(out.c_str(), "top level\nupdate 1 time %lf\nupdate 30 time %lf\n", &first, &last), 2) << out;
  EXPECT_LT(first, 0.1);
  EXPECT_GT(last, 0.95);  // 30 frames: about a second of program time
  EXPECT_LT(last, 1.1);
}

TEST_F(player, FramesAndDrawsAtSixtyASecond) {
  tovo_test::temp_dir home;
  run_result r = run_headless(binary, {"-x", cart("frames60.kx")}, home);
  EXPECT_EQ(r.status, 0);
  int updates = 0, draws = 0;
  double t = 0;
  ASSERT_EQ(sscanf(cart_output(r).c_str(), "updates %d draws %d time %lf", &updates, &draws, &t), 3) << r.out;
  EXPECT_EQ(updates, 60);
  EXPECT_GE(draws, 59);
  EXPECT_GT(t, 0.95);
  EXPECT_LT(t, 1.1);
}

TEST_F(player, ErrorsAreReportedWithTheirTabLines) {
  tovo_test::temp_dir home;
  run_result r = run_headless(binary, {"-x", cart("runtime_error.kx")}, home);
  EXPECT_NE(r.out.find("runtime error line 4 tab 0\n if x==2 then x=x+nil end\n"
                       "attempt to perform arithmetic on a nil value\nin _update line 4 (tab 0)\n"),
            std::string::npos)
      << r.out;
  r = run_headless(binary, {"-x", cart("syntax_error.kx")}, home);
  EXPECT_NE(r.out.find("syntax error line 2 (tab 0)\nif x then\n"), std::string::npos) << r.out;
}

// Each error names the line of the cart's code where it lies: a binding's
// error the line that called it (even after a coroutine caught an error on
// another line), a block left open the line that opened it. The report is the
// last thing printed, and the traceback holds only the cart's own calls.
TEST_F(player, ErrorReportsEndTheOutputWithTheCartsLine) {
  const struct {
    const char* cart;
    int status;
    const char* report;
  } cases[] = {
      {"binding_error.kx", 3,
       "runtime error line 6 tab 0\n if x==3 then print(dget(0)) end\ndget called before cartdata()\n"
       "in _update line 6 (tab 0)\n"},
      {"unclosed_block.kx", 2, "syntax error line 1 (tab 1)\nfunction _update()\n"},
  };
  for (const auto& c : cases) {
    tovo_test::temp_dir home;
    run_result r = run_headless(binary, {"-x", cart(c.cart)}, home);
    EXPECT_EQ(r.status, c.status) << c.cart;
    EXPECT_EQ(cart_output(r), c.report) << c.cart << "\n" << r.out;
  }
}

// A script function that a native function calls and that never returns
// (a __tostring looping forever) fails within the frame that called it, with
// the error of a suspension that cannot happen there: on the cart's own
// thread the cart stops with a runtime error; inside a coroutine only the
// coroutine fails and the cart goes on.
TEST_F(player, BudgetSpentInsideANonYieldableCallIsARuntimeError) {
  const struct {
    const char* cart;
    int status;
    const char* output;
  } cases[] = {
      {"tostring_forever.kx", 3,
       "frame 1\nframe 2\nruntime error line 3 tab 0\n while true do end\n"
       "attempt to yield from outside a coroutine\n"},
      {"tostring_forever_coroutine.kx", 0,
       "frame 1\nframe 2\nresumed false attempt to yield across a C-call boundary\nframe 3\nframe 4\n"},
  };
  for (const auto& c : cases) {
    tovo_test::temp_dir home;
    run_result r = run_headless(binary, {"-x", cart(c.cart)}, home);
    EXPECT_EQ(r.status, c.status) << c.cart << "\n" << r.out;
    std::string out = cart_output(r);
    EXPECT_EQ(out.substr(0, std::string(c.output).size()), c.output) << c.cart;
  }
}

// A cart whose whole code is a short-command word runs that command, as a
// prompt line would, instead of failing to compile.
TEST_F(player, CartThatIsAShortCommandRunsIt) {
  tovo_test::temp_dir home;
  run_result r = run_headless(binary, {"-x", cart("short_command.kx")}, home);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("syntax error"), std::string::npos) << r.out;
}

// The exit status with -x tells how the cart ended: a stop or a normal end
// is a success, an error is not.
TEST_F(player, ExecExitStatusTellsHowTheCartEnded) {
  const struct {
    const char* cart;
    int status;
  } cases[] = {
      {"ends_at_once.kx", 0}, {"stops.kx", 0}, {"syntax_error.kx", 2}, {"runtime_error.kx", 3}, {"out_of_memory.kx", 3},
  };
  for (const auto& c : cases) {
    tovo_test::temp_dir home;
    run_result r = run_headless(binary, {"-x", cart(c.cart)}, home);
    EXPECT_EQ(r.status, c.status) << c.cart << "\n" << r.out;
  }
}

// Script memory is measured in the runtime's 32-bit layout: an array of
// 16384 numbers takes 32 + 16384 x 8 bytes (128 KiB), so nine of them fit
// under the 2 MiB limit and seventeen do not.
TEST_F(player, ArraysFitUnderTheMemoryLimitByTheirThirtyTwoBitSize) {
  const struct {
    int arrays;
    int status;
    const char* last_line;
  } cases[] = {{9, 0, "done\n"}, {17, 3, "out of memory\n"}};
  for (const auto& c : cases) {
    tovo_test::temp_dir home;
    std::string path = home.file("arrays.kx");
    ASSERT_TRUE(tovo_test::write_file(
        path,
        "tovo cartridge // tovo.invalid\nversion 34\n__lua__\n"
        "t={} for j=1," +
            std::to_string(c.arrays) +
            " do local a={} for i=1,16384 do a[i]=i end t[j]=a printh(j..' '..stat(0)) end printh('done')\n"));
    run_result r = run_headless(binary, {"-x", path}, home);
    EXPECT_EQ(r.status, c.status) << c.arrays << "\n" << r.out;
    std::string out = cart_output(r);
    ASSERT_GE(out.size(), std::string(c.last_line).size()) << out;
    EXPECT_EQ(out.substr(out.size() - std::string(c.last_line).size()), c.last_line) << c.arrays << "\n" << out;
    if (c.status == 0) {  // about 1.2 MiB with nine
      size_t at = out.find("\n9 ");
      ASSERT_NE(at, std::string::npos) << out;
      double kib = std::atof(out.c_str() + at + 3);
      EXPECT_GT(kib, 9 * 128.0) << out;
      EXPECT_LT(kib, 9 * 128.0 + 64) << out;
    }
  }
}

TEST_F(player, ConfigFileValuesAreKeptAndSwitchesOverrideThem) {
  tovo_test::temp_dir home;
  std::string folder = home.path + "/.halvorn/tovo";
  ASSERT_EQ(system(("mkdir -p '" + folder + "'").c_str()), 0);
  ASSERT_TRUE(tovo_test::write_file(folder + "/config.txt", "gif_len 40\nscreenshot_scale 5\n"));
  run_result r = run_headless(binary, {"-gif_len", "20", "-x", cart("ends_at_once.kx")}, home);
  EXPECT_EQ(r.status, 0);
  std::string config;
  ASSERT_TRUE(tovo_test::read_file(folder + "/config.txt", &config));
  EXPECT_NE(config.find("\ngif_len 20\n"), std::string::npos) << config;
  EXPECT_NE(config.find("\nscreenshot_scale 5\n"), std::string::npos) << config;
}

// The demonstration run.sh shows without a display: it draws, plays a tune,
// saves a screenshot and says so.
TEST_F(player, HeadlessDemonstrationSavesAScreenshot) {
  tovo_test::temp_dir home, desktop;
  run_result r =
      run_headless(binary, {"-desktop", desktop.path + "/", "-x", source + "/scripts/headless_demo.kx"}, home);
  EXPECT_EQ(r.status, 0);
  for (const char* line : {"drew the sixteen colours", "played a four-note tune", "saved a screenshot"})
    EXPECT_NE(r.out.find(line), std::string::npos) << r.out;
  std::string png;
  ASSERT_TRUE(tovo_test::read_file(desktop.file("tovo_demo.png"), &png));
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

// The glitch test takes a screenshot at every reset of the cart and ends,
// after the last one, through the main loop: the cart's data is saved as the
// cart last set it, config.txt is written and the status is 0.
TEST_F(player, GlitchTestEndsThroughTheMainLoop) {
  tovo_test::temp_dir home, desktop;
  run_result r = run_headless(
      binary, {"-desktop", desktop.path + "/", "-glitch_test", "1", "-run", cart("counts_frames_window.kx")}, home);
  EXPECT_EQ(r.status, 0);
  for (int i = 0; i <= 48; i++)
    EXPECT_TRUE(tovo_test::file_exists(desktop.file("tovo_" + std::to_string(i) + ".png"))) << i;
  EXPECT_FALSE(tovo_test::file_exists(desktop.file("tovo_49.png")));
  std::string folder = home.path + "/.halvorn/tovo", text;
  ASSERT_TRUE(tovo_test::read_file(folder + "/cdata/tovo_e2e_quit.kxd.txt", &text));
  ASSERT_GE(text.size(), 8u);
  size_t at = r.out.rfind("count ");
  ASSERT_NE(at, std::string::npos) << r.out;
  EXPECT_EQ((int)(strtoul(text.substr(0, 8).c_str(), nullptr, 16) >> 16), atoi(r.out.c_str() + at + 6));
  EXPECT_TRUE(tovo_test::file_exists(folder + "/config.txt"));
  EXPECT_NE(log_text(home).find("tarq_items_created: 0"), std::string::npos);
}

// ---- A real window under Xvfb ----

using tovo_test::on_path;
using tovo_test::screen_dump;

TEST_F(player, RealWindowShowsTheBootAndShutsDownCleanly) {
  if (!on_path("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  ASSERT_TRUE(on_path("xdotool")) << "xdotool presses the keys here: scripts/install-deps.sh installs it";
  tovo_test::temp_dir home, fb;
  std::string display = ":" + std::to_string(40 + getpid() % 400);
  std::string screen;
  pid_t server = tovo_test::start_xvfb(display, fb, &screen);
  ASSERT_GT(server, 0);
  // The X libraries keep some memory to the end: the engine's own count of
  // live items in the log stands for the leak check here.
  pid_t pid = start(binary, {},
                    {"HOME=" + home.path, "DISPLAY=" + display, "SDL_AUDIODRIVER=dummy", "SDL_VIDEODRIVER=x11",
                     "ASAN_OPTIONS=detect_leaks=0"},
                    home);
  ASSERT_GT(pid, 0);
  // The banner is printed about 1.5 s into the boot; the logo stays.
  screen_dump boot;
  bool seen = false;
  for (int i = 0; i < 60 && !seen; i++) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    seen = boot.load(screen) && boot.count(0xff3850) > 200 && boot.count(0xb0b2bc) > 200;
  }
  EXPECT_TRUE(seen) << "the logo's red and the banner's grey never showed";
  // Then the game: a garden of grass.
  auto wait_for_colour = [&](uint32_t colour, int least, screen_dump* into) {
    for (int i = 0; i < 80; i++) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (into->load(screen) && into->count(colour) > least) return true;
    }
    return false;
  };
  constexpr uint32_t GRASS = 0x1e8850, SHED = 0x1e2446;
  screen_dump game;
  EXPECT_TRUE(wait_for_colour(GRASS, 50000, &game)) << "the game's first frame never showed";
  tovo_test::temp_dir xdo;
  auto xdotool = [&](std::vector<std::string> args) {
    pid_t p = start(
        "/usr/bin/env",
        [&] {
          args.insert(args.begin(), "xdotool");
          return args;
        }(),
        {"DISPLAY=" + display}, xdo);
    return p > 0 && wait_for(p, 10000) == 0;
  };
  ASSERT_TRUE(xdotool({"search", "--sync", "--pid", std::to_string(pid)}));
  std::string window;
  tovo_test::read_file(xdo.file("stdout.txt"), &window);
  window = window.substr(0, window.find('\n'));
  ASSERT_FALSE(window.empty());
  xdotool({"windowfocus", window});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  auto press = [&](const char* key, int ms) {
    xdotool({"keydown", key});
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    xdotool({"keyup", key});
  };
  // The gardener walks right: the picture changes.
  screen_dump before, after;
  ASSERT_TRUE(before.load(screen));
  press("Right", 800);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(after.load(screen));
  int changed = 0;
  for (uint32_t y = 0; y < before.height; y++)
    for (uint32_t x = 0; x < before.width; x++) changed += before.rgb(x, y) != after.rgb(x, y);
  EXPECT_GT(changed, 200) << "the game did not react to the arrow key";
  // X loads the shed, a cart mounted from the data pod, and X comes back.
  // A press that lands while a cart is still loading is not seen by it, so
  // each press is repeated (up to a generous deadline) until the picture
  // it asks for shows.
  auto press_until_colour = [&](const char* key, uint32_t colour, int least, screen_dump* into) {
    for (int attempt = 0; attempt < 5; attempt++) {
      press(key, 200);
      for (int i = 0; i < 30; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (into->load(screen) && into->count(colour) > least) return true;
      }
    }
    return false;
  };
  screen_dump shed;
  EXPECT_TRUE(press_until_colour("x", SHED, 100000, &shed)) << "the shed never showed";
  EXPECT_TRUE(press_until_colour("x", GRASS, 50000, &game)) << "the garden never came back";
  kill(pid, SIGTERM);  // the system's quit: a clean shutdown
  EXPECT_EQ(wait_for(pid, 20000), 0);
  kill(server, SIGTERM);
  wait_for(server, 5000);
  std::string log = log_text(home);
  EXPECT_NE(log.find("tarq_items_created: 0"), std::string::npos) << log;
}

}  // namespace

// The boot sound plays while the player starts: SDL's disk audio driver
// records the mixer's output, which must not be silent.
TEST_F(player, BootSoundIsHeardInTheFirstSeconds) {
  tovo_test::temp_dir home;
  std::string raw = home.file("audio.raw");
  pid_t pid =
      start(binary, {},
            {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw}, home);
  ASSERT_GT(pid, 0);
  // The loudest sample written so far.
  auto peak = [&] {
    std::string bytes;
    tovo_test::read_file(raw, &bytes);
    int loudest = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      int sample = (int16_t)((uint8_t)bytes[i] | ((uint8_t)bytes[i + 1] << 8));
      loudest = std::max(loudest, std::abs(sample));
    }
    return loudest;
  };
  // The sound starts about a second and a half in; a loaded machine may take
  // much longer to get there.
  for (int i = 0; i < 600 && peak() <= 1000; i++) tovo_test::sleep_ms(100);
  kill(pid, SIGTERM);
  EXPECT_EQ(wait_for(pid, 10000), 0);
  EXPECT_GT(peak(), 1000);
  EXPECT_NE(log_text(home).find("tarq_items_created: 0"), std::string::npos);
}
