// The engine log: stamps, nested steps, the length rule and continuation.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "engine/log.h"
#include "engine/platform/timing.h"
#include "engine/tarq.h"
#include "tests/engine/engine_run.h"
#include "tests/support/temp_dir.h"

namespace {

// Points the log at a temporary file for the test's life.
struct log_to_file : ::testing::Test {
  tovo_test::temp_dir dir;
  std::string path;
  void SetUp() override {
    path = dir.file("log.txt");
    tarq_state.log_file = fopen(path.c_str(), "w");
    ASSERT_NE(tarq_state.log_file, nullptr);
    tarq_log_reset();
  }
  void TearDown() override {
    fclose(tarq_state.log_file);
    tarq_state.log_file = nullptr;
    tarq_log_reset();
  }
  std::string text() {
    fflush(tarq_state.log_file);
    std::string t;
    tovo_test::read_file(path, &t);
    return t;
  }
};

std::string strip_stamps(const std::string& text) { return std::regex_replace(text, std::regex(R"(\[\d{6}\] )"), ""); }

TEST_F(log_to_file, StepsIndentTheLinesInside) {
  tarq_debug(">outer\n");
  tarq_debug("a\n");
  tarq_debug(">inner\n");
  tarq_debug("b\n");
  tarq_debug("<done inner\n");
  tarq_debug("<done outer\n");
  tarq_debug("<extra close stays at 0\n");
  tarq_debug("c\n");
  EXPECT_EQ(strip_stamps(text()), "outer\n  a\n  inner\n    b\n  done inner\ndone outer\nextra close stays at 0\nc\n");
  EXPECT_EQ(tarq_log_indentation(), 0);
}

TEST_F(log_to_file, EveryLineStartsWithAStamp) {
  tarq_debug("one\n");
  tarq_debug("two\n");
  std::string t = text();
  EXPECT_TRUE(std::regex_match(t, std::regex(R"(\[\d{6}\] one\n\[\d{6}\] two\n)"))) << t;
}

TEST_F(log_to_file, MessageWithoutNewlineIsContinuedWithoutStamp) {
  tarq_debug(">step\n");
  tarq_debug("launch: [x] ");
  tarq_debug("result: 0\n");
  tarq_debug("next\n");
  std::string t = text();
  // the continuation gets no stamp, but its indentation spaces are written
  EXPECT_TRUE(
      std::regex_match(t, std::regex(R"(\[\d{6}\] step\n\[\d{6}\]   launch: \[x\]   result: 0\n\[\d{6}\]   next\n)")))
      << t;
}

TEST_F(log_to_file, MessagesOver900BytesAreRefused) {
  std::string fits(899, 'a');
  fits += "\n";  // 900 bytes
  std::string too_long(900, 'b');
  too_long += "\n";  // 901 bytes
  tarq_debug(fits.c_str());
  tarq_debug(">");  // opens a step and leaves the line open
  tarq_debug(too_long.c_str());
  // the refused message changes neither the stamp flag nor the indentation
  EXPECT_EQ(tarq_log_at_line_start(), 0);
  EXPECT_EQ(tarq_log_indentation(), 1);
  tarq_debug("end\n");
  EXPECT_EQ(strip_stamps(text()), fits + "[debug string too long!]\n  end\n");
}

TEST(Log, BeforeTheLogIsOpenOnlyTheStateChanges) {
  ASSERT_EQ(tarq_state.log_file, nullptr);
  tarq_debug(">step ");
  EXPECT_EQ(tarq_log_indentation(), 1);
  EXPECT_EQ(tarq_log_at_line_start(), 0);
  tarq_debug("<done\n");
  EXPECT_EQ(tarq_log_indentation(), 0);
  EXPECT_EQ(tarq_log_at_line_start(), 1);
}

// The whole log of a clean headless run.
TEST(Log, GoldenLogOfACleanRun) {
  tovo_test::temp_home home;
  recording_app::plan plan;
  plan.quit_in_update = 2;
  ASSERT_EQ(engine_run::run(plan, {"-headless"}), 0);

  std::vector<std::string> lines;
  ASSERT_TRUE(engine_run::log_lines(engine_run::appdata_log(home.path()), &lines));
  const std::vector<std::string> want = {
      "tarq_init",
      "  platform: Linux",
      "  tarq_system_init",
      "   running in headless mode",
      R"(  Compiled against SDL version: \d+\.\d+\.\d+)",
      R"(  Linked against SDL version:   \d+\.\d+\.\d+)",
      "  tarq_reset_timer",
      "  tarq_gui_init",
      "  tarq_keys_init",
      "  tarq_text_init",
      "  tarq_video_init",
      "  tarq_mouse_init",
      "  tarq_joystick_init",
      "  searching for joysticks",
      "    found 0 joysticks",
      "  ok",
      "ok",
      "app: init",
      "app: update 1",
      "app: draw 1",
      "app: update 2",
      "app: draw 2",
      "tarq_exit",
      "  cmusic_stop",
      "  tarq_main_exit",
      "  app: exit",
      "  tarq_config_save",
      "  tarq_sound_exit",
      "  tarq_video_exit",
      "  tarq_joystick_exit",
      "  tarq_system_exit",
      "  tarq_items_created: 0",
      "ok",
  };
  ASSERT_EQ(lines.size(), want.size());
  for (size_t i = 0; i < want.size(); i++)
    EXPECT_TRUE(std::regex_match(lines[i], std::regex(want[i])))
        << "line " << i + 1 << ": [" << lines[i] << "] want [" << want[i] << "]";
}

}  // namespace
