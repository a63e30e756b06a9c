// A real window on an X server: the test starts itself again under xvfb-run
// with the server's screen in a file (Xvfb's -fbdir), presents a pattern,
// and reads the screen back from that file.
#include <gtest/gtest.h>

#include <SDL.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/config.h"
#include "engine/data/text.h"
#include "engine/platform/events.h"
#include "engine/platform/video.h"
#include "engine/tarq.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb.h"

extern char** environ;

namespace {

constexpr const char* CHILD_ENV = "TOVO_XVFB_SCREEN_DIR";

using tovo_test::on_path;
using tovo_test::screen_dump;

// Runs inside the X server.
void present_and_check(const std::string& dir) {
  tarq_config_default();
  tarq_state = tarq_engine_state{};
  tarq_set_application_title("tovo");
  ASSERT_EQ(tarq_system_init(), 0);
  ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
  EXPECT_EQ(cconfig.software_blit, 1);  // forced on x11
  cconfig.windowed = 1;
  cconfig.window_x = 0;
  cconfig.window_y = 0;
  tarq_keys_init();
  tarq_text_init();
  tarq_video_init();
  tarq_set_window_size(400, 300);
  ASSERT_EQ(tarq_set_screen(128, 128, 8, TARQ_SCREEN_USE_SETTING), 0);
  EXPECT_EQ(tarq_get_windowed(), 1);

  tarq_palette* p = tarq_create_palette();
  p->rgb[1][0] = 255;
  p->rgb[2][1] = 255;
  p->rgb[3][2] = 255;
  p->rgb[4][0] = p->rgb[4][1] = p->rgb[4][2] = 200;
  tarq_set_palette(p);
  tarq_destroy_palette(p);
  tarq_rectfill(tarq_window.tarq_back_page, 0, 0, 63, 63, 1);
  tarq_rectfill(tarq_window.tarq_back_page, 64, 0, 127, 63, 2);
  tarq_rectfill(tarq_window.tarq_back_page, 0, 64, 63, 127, 3);
  tarq_rectfill(tarq_window.tarq_back_page, 64, 64, 127, 127, 4);

  const tarq_rect_i r = tarq_get_present_rect();
  EXPECT_EQ(r.x, 72);  // 256x256 centred in 400x300
  EXPECT_EQ(r.y, 22);
  EXPECT_EQ(r.w, 256);
  screen_dump shot;
  int wx = 0, wy = 0;
  bool seen = false;
  for (int attempt = 0; attempt < 50 && !seen; attempt++) {
    SDL_PumpEvents();
    tarq_blit_back_page();
    SDL_Delay(100);
    SDL_GetWindowPosition(tarq_window.sdl_window, &wx, &wy);
    seen = shot.load(dir + "/Xvfb_screen0") && shot.rgb(uint32_t(wx + r.x + 10), uint32_t(wy + r.y + 10)) == 0xFF0000;
  }
  ASSERT_TRUE(seen) << "the pattern never reached the screen";
  auto at = [&](int x, int y) { return shot.rgb(uint32_t(wx + x), uint32_t(wy + y)); };
  EXPECT_EQ(at(r.x + 200, r.y + 10), 0x00FF00u);
  EXPECT_EQ(at(r.x + 10, r.y + 200), 0x0000FFu);
  EXPECT_EQ(at(r.x + 200, r.y + 200), 0xC8C8C8u);
  EXPECT_EQ(at(r.x, r.y), 0xFF0000u);  // the rectangle's corners
  EXPECT_EQ(at(r.x + 255, r.y + 255), 0xC8C8C8u);
  EXPECT_EQ(at(r.x - 1, r.y + 10), 0u);  // black borders all round
  EXPECT_EQ(at(r.x + 256, r.y + 10), 0u);
  EXPECT_EQ(at(r.x + 10, r.y - 1), 0u);
  EXPECT_EQ(at(r.x + 10, r.y + 256), 0u);
  EXPECT_EQ(at(5, 150), 0u);
  EXPECT_EQ(at(395, 150), 0u);
  tarq_video_exit();
  tarq_text_exit();
  SDL_Quit();
}

}  // namespace

TEST(XvfbWindow, PresentsAPatternInARealWindow) {
  if (const char* dir = getenv(CHILD_ENV)) return present_and_check(dir);
  if (!on_path("xvfb-run")) GTEST_SKIP() << "xvfb-run is not installed";

  tovo_test::temp_dir dir;
  char self[1024];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
  ASSERT_GT(n, 0);
  self[n] = 0;
  const std::string server = "-screen 0 640x480x24 -nolisten tcp -fbdir " + dir.path;
  const std::string filter = "--gtest_filter=XvfbWindow.PresentsAPatternInARealWindow";
  std::vector<std::string> args = {"timeout", "120", "xvfb-run", "-a", "-s", server, self, filter};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> env_text;
  for (char** e = environ; *e; e++) {
    const std::string v = *e;
    if (v.rfind("SDL_VIDEODRIVER=", 0) == 0 || v.rfind("ASAN_OPTIONS=", 0) == 0 || v.rfind("DISPLAY=", 0) == 0)
      continue;
    env_text.push_back(v);
  }
  env_text.push_back(std::string(CHILD_ENV) + "=" + dir.path);
  env_text.push_back("SDL_VIDEODRIVER=x11");
  env_text.push_back("ASAN_OPTIONS=detect_leaks=0");  // the X libraries keep some memory to the end
  std::vector<char*> envp;
  for (auto& v : env_text) envp.push_back(v.data());
  envp.push_back(nullptr);

  const std::string log = dir.file("child.txt");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawnp(&pid, "timeout", &actions, nullptr, argv.data(), envp.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  std::string output;
  tovo_test::read_file(log, &output);
  ASSERT_TRUE(WIFEXITED(status)) << output;
  EXPECT_EQ(WEXITSTATUS(status), 0) << output;
  EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}
