// The pause menu of the built player in a real window under Xvfb: keys are
// typed through the X server's test extension (loaded at run time), the
// screen is read back from the server's frame-buffer file.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb.h"

namespace {

std::string env_or_empty(const char* name) {
  const char* v = getenv(name);
  return v ? v : "";
}

using tovo_test::sleep_ms;
using tovo_test::wait_for;

// The few calls of the X library and its test extension, found at run time.
struct x_keyboard {
  void* x11 = nullptr;
  void* xtst = nullptr;
  void* display = nullptr;
  void* (*open_display)(const char*) = nullptr;
  int (*close_display)(void*) = nullptr;
  unsigned char (*keysym_to_keycode)(void*, unsigned long) = nullptr;
  int (*sync)(void*, int) = nullptr;
  int (*fake_key)(void*, unsigned int, int, unsigned long) = nullptr;
  int (*fake_motion)(void*, int, int, int, unsigned long) = nullptr;

  bool open(const std::string& name) {
    x11 = dlopen("libX11.so.6", RTLD_NOW);
    xtst = dlopen("libXtst.so.6", RTLD_NOW);
    if (!x11 || !xtst) return false;
    open_display = reinterpret_cast<void* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
    close_display = reinterpret_cast<int (*)(void*)>(dlsym(x11, "XCloseDisplay"));
    keysym_to_keycode = reinterpret_cast<unsigned char (*)(void*, unsigned long)>(dlsym(x11, "XKeysymToKeycode"));
    sync = reinterpret_cast<int (*)(void*, int)>(dlsym(x11, "XSync"));
    fake_key = reinterpret_cast<int (*)(void*, unsigned int, int, unsigned long)>(dlsym(xtst, "XTestFakeKeyEvent"));
    fake_motion = reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(dlsym(xtst, "XTestFakeMotionEvent"));
    if (!open_display || !close_display || !keysym_to_keycode || !sync || !fake_key || !fake_motion) return false;
    display = open_display(name.c_str());
    return display != nullptr;
  }
  void pointer_to(int x, int y) {
    fake_motion(display, 0, x, y, 0);
    sync(display, 0);
  }
  // Holds the key for a few host frames, then lets it go and waits.
  void tap(unsigned long keysym) {
    unsigned char code = keysym_to_keycode(display, keysym);
    fake_key(display, code, 1, 0);
    sync(display, 0);
    sleep_ms(200);
    fake_key(display, code, 0, 0);
    sync(display, 0);
    sleep_ms(200);
  }
  // Before the server goes: a lost connection would end the process.
  void close() {
    if (display) close_display(display);
    display = nullptr;
  }
  ~x_keyboard() {
    close();
    if (xtst) dlclose(xtst);
    if (x11) dlclose(x11);
  }
};

constexpr unsigned long KEY_P = 0x70, KEY_Z = 0x7a, KEY_UP = 0xff52, KEY_DOWN = 0xff54;
constexpr uint32_t WHITE = 0xfffcf4;  // colour 7

// The screen from the server's frame-buffer file.
struct screen_dump : tovo_test::screen_dump {
  // The menu box: the first and last rows holding a white run as long as its
  // 80-pixel outline at the window's scale; the box's height in console
  // pixels (0 when there is none).
  int menu_rows() const {
    int first = -1, last = -1, scale = 0;
    for (uint32_t y = 0; y < height; y++) {
      uint32_t run = 0, best = 0;
      for (uint32_t x = 0; x < width; x++) {
        run = rgb(x, y) == WHITE ? run + 1 : 0;
        best = run > best ? run : best;
      }
      if (best >= 160 && best % 80 == 0) {
        if (first < 0) first = (int)y;
        last = (int)y;
        scale = (int)best / 80;
      }
    }
    return first < 0 || scale == 0 ? 0 : (last - first + 1) / scale;
  }
  // Waits up to two seconds for the menu box to have this height.
  int wait_for_menu(const std::string& path, int rows) {
    int seen = 0;
    for (int i = 0; i < 20; i++) {
      if (load(path) && (seen = menu_rows()) == rows) return seen;
      sleep_ms(100);
    }
    return seen;
  }
};

TEST(pause_menu_e2e, OpensMovesToOptionsAndBackAndQuits) {
  std::string binary = env_or_empty("TOVO_BINARY");
  if (binary.empty()) binary = TOVO_TEST_BINARY;
  if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed";
  tovo_test::temp_dir home, fb;
  std::string display = ":" + std::to_string(440 + getpid() % 400);
  std::string screen;
  pid_t server = tovo_test::start_xvfb(display, fb, &screen);
  ASSERT_GT(server, 0);
  x_keyboard keys;
  if (!keys.open(display)) {
    keys.close();
    kill(server, SIGTERM);
    wait_for(server, 5000);
    GTEST_SKIP() << "the X test extension could not be loaded";
  }
  pid_t pid = tovo_test::start_process({binary},
                                       {"HOME=" + home.path, "DISPLAY=" + display, "SDL_AUDIODRIVER=dummy",
                                        "SDL_VIDEODRIVER=x11", "ASAN_OPTIONS=detect_leaks=0"},
                                       home);
  ASSERT_GT(pid, 0);
  sleep_ms(500);
  keys.pointer_to(400, 300);

  // The game runs once the boot is over: press pause until the menu shows.
  screen_dump shot;
  int rows = 0;
  for (int i = 0; i < 40 && rows == 0; i++) {
    keys.tap(KEY_P);
    if (shot.load(screen)) rows = shot.menu_rows();
  }
  EXPECT_EQ(rows, 40) << "continue, options, reset cart, quit";

  keys.tap(KEY_DOWN);
  keys.tap(KEY_Z);
  EXPECT_EQ(shot.wait_for_menu(screen, 48), 48) << "the options page has five items";

  keys.tap(KEY_UP);  // back
  keys.tap(KEY_Z);
  EXPECT_EQ(shot.wait_for_menu(screen, 40), 40);

  keys.tap(KEY_UP);  // quit
  keys.tap(KEY_Z);
  EXPECT_EQ(wait_for(pid, 20000), 0) << "quit ends the program cleanly";
  keys.close();
  kill(server, SIGTERM);
  wait_for(server, 5000);
  std::string log;
  tovo_test::read_file(home.path + "/.halvorn/tovo/log.txt", &log);
  EXPECT_NE(log.find("tarq_items_created: 0"), std::string::npos) << log;
}

}  // namespace
