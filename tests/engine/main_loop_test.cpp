// The main loop, start-up and shutdown, run over the recording application.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "engine/engine_control.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "engine/platform/window.h"
#include "engine/tarq.h"
#include "tests/engine/engine_run.h"
#include "tests/engine/recording_app.h"
#include "tests/support/temp_dir.h"

namespace {

using recording_app::calls;
using recording_app::updates;
using strings = std::vector<std::string>;

int count_lines(const strings& lines, const std::string& text) {
  return (int)std::count(lines.begin(), lines.end(), text);
}

bool has_line_matching(const strings& lines, const std::string& pattern) {
  std::regex re(pattern);
  for (const std::string& l : lines)
    if (std::regex_match(l, re)) return true;
  return false;
}

struct MainLoop : ::testing::Test {
  tovo_test::temp_home home;
  strings log() {
    strings lines;
    engine_run::log_lines(engine_run::appdata_log(home.path()), &lines);
    return lines;
  }
};

TEST_F(MainLoop, HooksRunInFrameOrderWithSkipAndQuit) {
  recording_app::plan plan;
  plan.quit_in_update = 5;
  plan.skip_frames = {2, 3};
  ASSERT_EQ(engine_run::run(plan, {"-headless"}), 0);

  // A skipped frame is not drawn; the frame that asks to quit is finished,
  // then the loop ends and the engine shuts down with one call of the exit hook.
  EXPECT_EQ(calls, (strings{"init", "update 1", "draw 1", "update 2", "update 3", "update 4", "draw 4", "update 5",
                            "draw 5", "exit"}));
  ASSERT_EQ(updates.size(), 5u);
  for (const recording_app::update_view& u : updates) {
    SCOPED_TRACE("frame " + std::to_string(u.frame));
    EXPECT_EQ(u.skip_frame, 0);       // the request is cleared before every update
    EXPECT_EQ(u.mouse_refreshed, 1);  // the mouse is read before every update
  }
  // The frame rate is measured at the end of drawn frames only.
  EXPECT_EQ(updates[1].fps_measured, 1);  // after frame 1
  EXPECT_EQ(updates[2].fps_measured, 0);  // after skipped frame 2
  EXPECT_EQ(updates[3].fps_measured, 0);  // after skipped frame 3
  EXPECT_EQ(updates[4].fps_measured, 1);  // after frame 4

  EXPECT_EQ(recording_app::inited_in_exit_hook, 0);
  EXPECT_EQ(tarq_loop.tarq_inited, 0);
  strings lines = log();
  EXPECT_EQ(count_lines(lines, "tarq_exit"), 1);
  EXPECT_EQ(count_lines(lines, "  app: exit"), 1);
}

TEST_F(MainLoop, ShutdownRunsInOrderAndOnlyOnce) {
  engine_run::init(recording_app::plan{}, {"-headless"});
  ASSERT_EQ(tarq_loop.tarq_inited, 1);
  EXPECT_EQ(tarq_exit(), 0);
  EXPECT_EQ(tarq_exit(), 0);
  EXPECT_EQ(calls, (strings{"init", "exit"}));
  EXPECT_EQ(tarq_state.log_file, nullptr);

  strings lines = log();
  const strings order = {"tarq_exit",
                         "  cmusic_stop",
                         "  tarq_main_exit",
                         "  app: exit",
                         "  tarq_config_save",
                         "  tarq_sound_exit",
                         "  tarq_video_exit",
                         "  tarq_joystick_exit",
                         "  tarq_system_exit",
                         "  tarq_items_created: 0",
                         "ok"};
  auto start = std::find(lines.begin(), lines.end(), "tarq_exit");
  ASSERT_NE(start, lines.end());
  EXPECT_EQ(strings(start, lines.end()), order);
}

TEST_F(MainLoop, InitWhileUpDoesNothing) {
  engine_run::init(recording_app::plan{}, {"-headless"});
  EXPECT_EQ(cconfig.sessions, 1);
  cconfig.window_width = 77;
  EXPECT_EQ(tarq_init(), 0);
  EXPECT_EQ(cconfig.window_width, 77);
  EXPECT_EQ(cconfig.sessions, 1);
  tarq_exit();
  EXPECT_EQ(count_lines(log(), "tarq_init"), 1);
}

TEST_F(MainLoop, OptionsApplyBeforeTheLogOpensAndAfterTheConfigFile) {
  tovo_test::temp_dir elsewhere;
  std::string folder = elsewhere.file("app_folder");
  engine_run::init(recording_app::plan{}, {"-headless", "-home", folder, "-width", "320"});
  EXPECT_EQ(cconfig.window_width, 320);
  EXPECT_EQ(tarq_config_as_read().window_width, 320);
  tarq_exit();
  // -home named the application folder before the log was opened in it
  EXPECT_TRUE(tovo_test::file_exists(folder + "/log.txt"));
  EXPECT_FALSE(tovo_test::file_exists(engine_run::appdata_log(home.path())));
}

TEST_F(MainLoop, WithoutArgumentsTheOptionPassesAreSkipped) {
  recording_app::plan plan;
  plan.quit_in_update = 1;
  recording_app::start(plan);
  char name[] = "tovo";
  char width[] = "-width";
  char value[] = "99";
  char headless[] = "-headless";
  char* argv[] = {name, width, value, headless, nullptr};
  EXPECT_EQ(tarq_main(0, argv, &recording_app::application), 0);  // argc 0: the arguments are not looked at
  EXPECT_EQ(calls, (strings{"init", "update 1", "draw 1", "exit"}));
  EXPECT_EQ(cconfig.window_width, 0);
  SDL_Quit();
}

TEST_F(MainLoop, HeadlessStartsNoSdlSubsystem) {
  SDL_Quit();
  engine_run::init(recording_app::plan{}, {"-headless"});
  EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
  EXPECT_EQ(tarq_is_app_active(), 1);
  tarq_exit();
}

TEST_F(MainLoop, WindowedStartUsesSdlAndEndsOnWindowClose) {
  recording_app::plan plan;
  plan.quit_in_update = 0;  // only the window close ends the loop
  plan.on_update = [](int frame) {
    if (frame != 1) return;
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&close);
  };
  ASSERT_EQ(engine_run::run(plan, {}), 0);
  EXPECT_EQ(calls, (strings{"init", "update 1", "draw 1", "update 2", "draw 2", "exit"}));
  strings lines = log();
  EXPECT_TRUE(has_line_matching(lines, "  Current video driver: dummy"));
  EXPECT_EQ(count_lines(lines, "window closed (14)"), 1);
  SDL_Quit();
}

TEST_F(MainLoop, RestartTakesTheEngineDownAndStartsTheApplicationAgain) {
  engine_run::init(recording_app::plan{}, {"-headless"});
  EXPECT_EQ(tarq_restart(), 0);
  EXPECT_EQ(calls, (strings{"init", "exit", "init"}));
  EXPECT_EQ(tarq_loop.tarq_inited, 1);
  tarq_exit();
}

TEST_F(MainLoop, PixelPerfectOffAsksForTheRpiDriverWithoutOverriding) {
  {
    // Only when this SDL offers the driver; otherwise the window could not open.
    tovo_test::scoped_env driver("SDL_VIDEODRIVER", nullptr);
    engine_run::init(recording_app::plan{}, {"-headless", "-pixel_perfect", "0"});
    const bool offered = tarq_video_driver_offered("rpi");
    if (offered) EXPECT_STREQ(getenv("SDL_VIDEODRIVER"), "rpi");
    else EXPECT_EQ(getenv("SDL_VIDEODRIVER"), nullptr);
    tarq_exit();
    EXPECT_EQ(count_lines(log(), "  forcing driver to rpi for pixel_perfect:0"), offered ? 1 : 0);
  }
  {
    tovo_test::scoped_env driver("SDL_VIDEODRIVER", "dummy");
    engine_run::init(recording_app::plan{}, {"-headless", "-pixel_perfect", "0"});
    EXPECT_STREQ(getenv("SDL_VIDEODRIVER"), "dummy");
    tarq_exit();
  }
  {
    tovo_test::scoped_env driver("SDL_VIDEODRIVER", nullptr);
    engine_run::init(recording_app::plan{}, {"-headless"});
    EXPECT_EQ(getenv("SDL_VIDEODRIVER"), nullptr);
    tarq_exit();
  }
}

TEST_F(MainLoop, PerfTimingReportsEveryNFrames) {
  recording_app::plan plan;
  plan.quit_in_update = 4;
  plan.skip_frames = {1};
  testing::internal::CaptureStdout();
  engine_run::run(plan, {"-headless", "-perf_timing", "2"});
  std::string out = testing::internal::GetCapturedStdout();
  const std::string pair = R"( *\d+\.\d{3}\[ *\d+\.\d{3}\])";
  // clang-format off
  std::regex report("\\[tarq\\] " + pair + " " + pair + " " + pair + " " + pair + "   1/2\n" +
                    "\\[tarq\\] " + pair + " " + pair + " " + pair + " " + pair + "   2/2\n");
  // clang-format on
  EXPECT_TRUE(std::regex_match(out, report)) << out;
}

TEST(FrameRate, IsThousandOverTheFrameTime) {
  struct fps_case {
    int32_t ms_ago;
    int32_t want_min, want_max;
  } cases[] = {
      {0, 1000, 1000},    // 0 ms (or 1 ms, should the clock tick) reads 1000
      {-50, 1000, 1000},  // a start in the future reads as 0 ms
      {4, 200, 250},     {500, 1, 2}, {1000, 1, 1}, {5000, 1, 1},
  };
  for (const fps_case& c : cases) {
    tarq_loop.frame_start_t = tarq_get_time() - c.ms_ago;
    int32_t fps = tarq_register_frame_end_for_fps();
    EXPECT_EQ(fps & 0xFFFF, 0);
    EXPECT_GE(tarq_get_fps(), c.want_min) << c.ms_ago << " ms";
    EXPECT_LE(tarq_get_fps(), c.want_max) << c.ms_ago << " ms";
    EXPECT_LE(tarq_get_time() - tarq_loop.frame_start_t, 1);  // the frame start restarts now
  }
}

TEST(MainLoopSkip, SkipFrameReturnsItsArgument) {
  tarq_loop.skip_frame = 0;
  EXPECT_EQ(tarq_skip_frame(42), 42);
  EXPECT_EQ(tarq_loop.skip_frame, 1);
  tarq_loop.skip_frame = 0;
}

TEST(Titles, WindowTitleAndApplicationTitle) {
  tarq_set_application_title("tovo");
  EXPECT_STREQ(tarq_state.app_title, "tovo");
  EXPECT_STREQ(tarq_loop.app_title_pending, "tovo");
  tarq_set_window_title("a window");
  EXPECT_EQ(tarq_state.window_title_ptr, tarq_state.window_title);
  EXPECT_STREQ(tarq_state.window_title, "a window");
  tarq_set_window_title(nullptr);
  EXPECT_EQ(tarq_state.window_title_ptr, nullptr);
  std::string long_title(1000, 't');
  tarq_set_window_title(long_title.c_str());
  EXPECT_EQ(strlen(tarq_state.window_title), (size_t)TARQ_TITLE_SIZE - 1);
}

// A quit from the system goes through the loop: nothing more of the frame
// runs, the engine shuts down once (the exit hook runs, the configuration is
// written) and the status the application set is returned.
TEST_F(MainLoop, QuitEventFromTheSystemEndsTheLoopAtOnce) {
  recording_app::plan plan;
  plan.quit_in_update = 0;
  plan.on_update = [](int frame) {
    if (frame != 1) return;
    tarq_set_exit_status(5);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
  };
  EXPECT_EQ(engine_run::run(plan, {}), 5);
  tarq_set_exit_status(0);
  // The pump of frame 2 saw the quit: no update and no draw after it.
  EXPECT_EQ(calls, (strings{"init", "update 1", "draw 1", "exit"}));
  EXPECT_EQ(tarq_loop.tarq_inited, 0);
  strings lines = log();
  EXPECT_EQ(count_lines(lines, "tarq_exit"), 1);
  EXPECT_EQ(count_lines(lines, "  app: exit"), 1);
  EXPECT_EQ(count_lines(lines, "  tarq_config_save"), 1);
  EXPECT_EQ(count_lines(lines, "  tarq_items_created: 0"), 1);
  EXPECT_TRUE(tovo_test::file_exists(home.path() + "/.halvorn/tovo/config.txt"));
  SDL_Quit();
}

// A quit from the system while an update waits for a typed code: the wait
// ends with no code, the update returns, and the frame is not drawn.
TEST_F(MainLoop, QuitWhileAnUpdateWaitsForAKeyEndsTheLoop) {
  recording_app::plan plan;
  plan.quit_in_update = 0;
  plan.on_update = [](int frame) {
    if (frame != 1) return;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(tarq_readkey(), 0);
  };
  EXPECT_EQ(engine_run::run(plan, {}), 0);
  EXPECT_EQ(calls, (strings{"init", "update 1", "exit"}));
  EXPECT_EQ(count_lines(log(), "  app: exit"), 1);
  SDL_Quit();
}

using FatalErrorDeathTest = MainLoop;

TEST_F(FatalErrorDeathTest, EndsWithNonZeroStatusAfterShuttingDown) {
  EXPECT_EXIT(
      {
        engine_run::init(recording_app::plan{}, {"-headless"});
        SDL_ClearError();
        tarq_fatal_error("the sky fell");
      },
      ::testing::ExitedWithCode(1), "");
  strings lines = log();
  EXPECT_TRUE(has_line_matching(lines, R"(\s*\*\* FATAL ERROR: the sky fell)"));
  EXPECT_EQ(count_lines(lines, "  app: exit"), 1);
  EXPECT_EQ(count_lines(lines, "  tarq_items_created: 0"), 1);
}

}  // namespace
