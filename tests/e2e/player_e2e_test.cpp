// The built player as a user starts it: headless runs with -x, and a real
// window under Xvfb whose screen is read back from the server's frame-buffer
// file. Each test runs the program with its own HOME.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

std::string env_or_empty(const char* name) {
  const char* v = getenv(name);
  return v ? v : "";
}

std::string env_or(const char* name, const char* built_in) {
  const char* v = getenv(name);
  return v ? v : built_in;
}

struct run_result {
  int status = -1;
  std::string out;
};

// Starts program with args and the extra environment; stdout and stderr go
// to files in dir. Returns the child's pid (or -1).
pid_t start(const std::string& program, const std::vector<std::string>& args, const std::vector<std::string>& env,
            const tovo_test::temp_dir& dir) {
  std::vector<std::string> argv_s = {program};
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_s) argv.push_back(a.data());
  argv.push_back(nullptr);
  // The given variables replace those of the same name.
  std::vector<std::string> env_s = env;
  for (char** e = environ; *e; e++) {
    std::string var = *e;
    bool replaced = false;
    for (const std::string& v : env) replaced = replaced || var.compare(0, v.find('=') + 1, v, 0, v.find('=') + 1) == 0;
    if (!replaced) env_s.push_back(var);
  }
  std::vector<char*> envp;
  for (std::string& e : env_s) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, dir.file("stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, dir.file("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Waits up to ms for the child; its exit status, or -1 after killing it.
int wait_for(pid_t pid, int ms) {
  for (int waited = 0; waited < ms; waited += 10) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

run_result run_headless(const std::string& program, const std::vector<std::string>& args,
                        const tovo_test::temp_dir& home) {
  run_result r;
  pid_t pid = start(program, args,
                    {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}, home);
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
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("runtime error line 4 tab 0\n if x==2 then x=x+nil end\n"
                       "attempt to perform arithmetic on a nil value\nin _update line 4 (tab 0)\n"),
            std::string::npos)
      << r.out;
  r = run_headless(binary, {"-x", cart("syntax_error.kx")}, home);
  EXPECT_EQ(r.status, 0);  // nothing runs: the program ends
  EXPECT_NE(r.out.find("syntax error\nunclosed if\n"), std::string::npos) << r.out;
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

// ---- A real window under Xvfb ----

bool on_path(const std::string& program) {
  std::string dirs = env_or_empty("PATH");
  size_t start_at = 0;
  while (start_at <= dirs.size()) {
    size_t end = dirs.find(':', start_at);
    std::string dir = dirs.substr(start_at, end == std::string::npos ? std::string::npos : end - start_at);
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start_at = end + 1;
  }
  return false;
}

// The screen from an X window dump (32 bits a pixel): counts of pixels by colour.
struct screen_dump {
  std::string bytes;
  uint32_t width = 0, height = 0, line = 0, data = 0;
  uint32_t be32(size_t at) const {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + at;
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
  }
  bool load(const std::string& path) {
    if (!tovo_test::read_file(path, &bytes) || bytes.size() < 100) return false;
    width = be32(16);
    height = be32(20);
    line = be32(48);
    data = be32(0) + be32(76) * 12;
    return be32(44) == 32 && uint64_t(data) + uint64_t(line) * height <= bytes.size();
  }
  uint32_t rgb(uint32_t x, uint32_t y) const {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + data + y * line + x * 4;
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
  }
  int count(uint32_t colour) const {
    int n = 0;
    for (uint32_t y = 0; y < height; y++)
      for (uint32_t x = 0; x < width; x++) n += rgb(x, y) == colour;
    return n;
  }
};

TEST_F(player, RealWindowShowsTheBootAndShutsDownCleanly) {
  if (!on_path("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  tovo_test::temp_dir home, fb;
  std::string display = ":" + std::to_string(40 + getpid() % 400);
  pid_t server = start("/usr/bin/env", {"Xvfb", display, "-screen", "0", "800x600x24", "-fbdir", fb.path,
                                        "-nolisten", "tcp"},
                       {}, fb);
  ASSERT_GT(server, 0);
  std::string screen = fb.file("Xvfb_screen0");
  for (int i = 0; i < 300 && !tovo_test::file_exists(screen); i++)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  // The X libraries keep some memory to the end: the engine's own count of
  // live items in the log stands for the leak check here.
  pid_t pid = start(binary, {}, {"HOME=" + home.path, "DISPLAY=" + display, "SDL_AUDIODRIVER=dummy",
                                 "SDL_VIDEODRIVER=x11", "ASAN_OPTIONS=detect_leaks=0"},
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
  if (on_path("xdotool")) {
    tovo_test::temp_dir xdo;
    auto xdotool = [&](std::vector<std::string> args) {
      pid_t p = start("/usr/bin/env", [&] {
        args.insert(args.begin(), "xdotool");
        return args;
      }(), {"DISPLAY=" + display}, xdo);
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
    press("x", 200);
    screen_dump shed;
    EXPECT_TRUE(wait_for_colour(SHED, 100000, &shed)) << "the shed never showed";
    press("x", 200);
    EXPECT_TRUE(wait_for_colour(GRASS, 50000, &game)) << "the garden never came back";
  }
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
  pid_t pid = start(binary, {},
                    {"HOME=" + home.path, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw},
                    home);
  ASSERT_GT(pid, 0);
  std::this_thread::sleep_for(std::chrono::seconds(3));
  kill(pid, SIGTERM);
  EXPECT_EQ(wait_for(pid, 10000), 0);
  std::string bytes;
  ASSERT_TRUE(tovo_test::read_file(raw, &bytes));
  ASSERT_GT(bytes.size(), 22050u);  // at least half a second of 16-bit samples
  int peak = 0;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    int sample = (int16_t)((uint8_t)bytes[i] | ((uint8_t)bytes[i + 1] << 8));
    peak = std::max(peak, std::abs(sample));
  }
  EXPECT_GT(peak, 1000);
  EXPECT_NE(log_text(home).find("tarq_items_created: 0"), std::string::npos);
}
