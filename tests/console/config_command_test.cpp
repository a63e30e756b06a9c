// The config command: settings set with their ranges, the help texts, the
// general list, and run_program running it in place of the program text.
#include <gtest/gtest.h>

#include <string>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/config_command.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "tests/support/cart_harness.h"
#include "tests/support/fake_shell.h"

namespace {

class ConfigTest : public tovo_test::CartHarness {
 protected:
  void SetUp() override {
    CartHarness::SetUp();
    run_state().exec = 1;  // console lines go to standard output
    run_state().running = 0;
  }
  std::string config(const char* args) {
    testing::internal::CaptureStdout();
    run_config(args);
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(ConfigTest, SettingsAreClampedAndSet) {
  const struct {
    const char* args;
    const char* setting;
    int32_t value;
    const char* out;
  } cases[] = {
      {"volume 1000", "volume", 256, "set volume: 256\n"},
      {"volume 2", "volume", 8, "set volume: 8\n"},
      {"volume 100", "volume", 100, "set volume: 100\n"},
      {"volume loud", "volume", 8, "set volume: 8\n"},  // no number reads 0
      {"volume 99999999999999999999", "volume", 256, "set volume: 256\n"},
      {"gif_len 0", "gif_len", 1, "set gif_len: 1\n"},
      {"gif_len 500", "gif_len", 120, "set gif_len: 120\n"},
      {"gif_reset_mode 7", "gif_reset_mode", 1, "set gif_reset_mode: 1\n"},
      {"sfx_filters 1", "sfx_filters", 1, "set sfx_filters: 1\n"},
      {"gif_scale 9", "gif_scale", 8, "set gif_scale: 8\n"},
      {"screenshot_scale 0", "screenshot_scale", 1, "set screenshot_scale: 1\n"},
      {"tab_width  5", "tab_width", 5, "set tab_width: 5\n"},
      {"enable_gpio -3", "enable_gpio", 0, "set enable_gpio: 0\n"},
      {"theme blue", "theme", 1, "set theme to blue\n"},
      {"theme classicx", "theme", 3, "set theme to classic\n"},
      {"theme auto", "theme", 0, "set theme to auto\n"},
      {"splore_filter on", "splore_filter", 1, "filter on\n"},
      {"splore_filter 0", "splore_filter", 0, "filter off\n"},
      {"splore_filter 1", "splore_filter", 1, "filter on\n"},
      {"splore_filter off", "splore_filter", 0, "filter off\n"},
  };
  for (const auto& c : cases) {
    tovo_shell().set_setting(c.setting, -99);
    EXPECT_EQ(config(c.args), c.out) << c.args;
    EXPECT_EQ(tovo_shell().get_setting(c.setting), c.value) << c.args;
    EXPECT_EQ(pstate().pen, 6) << c.args;
  }
}

TEST_F(ConfigTest, GifLengthRestartsTheRecording) {
  int resets = fake_shell.video_resets;
  config("gif_len 8");
  EXPECT_EQ(fake_shell.video_resets, resets + 1);
  config("gif_scale 2");
  EXPECT_EQ(fake_shell.video_resets, resets + 1);
}

TEST_F(ConfigTest, BareSettingsShowTheirHelp) {
  tovo_shell().set_setting("volume", 64);
  tovo_shell().set_setting("gif_reset_mode", 1);
  tovo_shell().set_setting("enable_gpio", 1);
  tovo_shell().set_setting("splore_filter", 0);
  const std::string themes = "config theme [value]\n\navailable themes:\nauto\nblue\nclassic\n\n";
  const struct {
    const char* args;
    std::string out;
  } cases[] = {
      {"volume", "config volume [val]\nval: 8 quiet .. 256 loud\ncurrent volume: 64\n"},
      {"gif_reset_mode",
       "config gif_reset_mode [mode]\n 0: don't reset after recording\n 1: reset after each recording\n\n"
       "current gif_reset_mode: 1\n"},
      {"enable_gpio", "config enable_gpio [0|1]\ncurrent enable_gpio: 1\n"},
      {"theme", themes},
      {"theme pink", themes},
      {"splore_filter",
       "config filter [on | off]\n\nwhen on, cartridges tagged as\nmature will not be downloaded.\n\n"
       "filter is currently: off\n\n"},
      {"splore_filter maybe",
       "config filter [on | off]\n\nwhen on, cartridges tagged as\nmature will not be downloaded.\n\n"
       "filter is currently: off\n\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(config(c.args), c.out) << c.args;
    EXPECT_EQ(pstate().pen, 6) << c.args;
  }
  EXPECT_EQ(tovo_shell().get_setting("volume"), 64);  // help changes nothing
}

TEST_F(ConfigTest, AnythingElseListsTheSettingsAndLeavesThePenAt14) {
  const std::string list =
      "config [setting]\n\navailable settings:\nvolume\ntheme\ngif_len\ngif_reset_mode\ngif_scale\n"
      "screenshot_scale\nsplore_filter\ntab_width\nenable_gpio\n\n";
  for (const char* args : {"", "sfx_filters", "nonsense", " volume 9"}) {
    EXPECT_EQ(config(args), list) << args;
    EXPECT_EQ(pstate().pen, 14) << args;
  }
}

TEST_F(ConfigTest, SettingsGoThroughTheShellHooks) {
  static std::string seen;
  seen.clear();
  tovo_shell().get_setting = [](const char*) { return 42; };
  tovo_shell().set_setting = [](const char* name, int32_t value) {
    seen += std::string(name) + "=" + std::to_string(value) + ";";
  };
  EXPECT_EQ(config("gif_scale"), "config gif_scale [size]\ncurrent gif_scale: 42\n");
  config("tab_width 3");
  EXPECT_EQ(seen, "tab_width=3;");
  install_fake_shell();
}

TEST(ConfigArgs, OnlyTheWordAndABlankOrTheEnd) {
  const struct {
    const char* text;
    const char* args;  // null: not a config command
  } cases[] = {
      {"config", ""},       {"config volume 9", "volume 9"},
      {"config\tx", "x"},   {"config\n", ""},
      {"configx", nullptr}, {"conf", nullptr},
      {"", nullptr},        {" config", nullptr},
  };
  for (const auto& c : cases) {
    const char* args = tovo_config_args(c.text);
    if (!c.args) {
      EXPECT_EQ(args, nullptr) << c.text;
    } else {
      ASSERT_NE(args, nullptr) << c.text;
      EXPECT_STREQ(args, c.args) << c.text;
    }
  }
}

TEST_F(ConfigTest, ACartWhoseCodeIsAConfigCommandCompilesAnEmptyProgram) {
  run_state().exec = 0;
  testing::internal::CaptureStdout();
  start("config screenshot_scale 4\nprinth('ran')");
  tick(3);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(tovo_shell().get_setting("screenshot_scale"), 4);
  EXPECT_STREQ(tovo_error_log(), "");
}

}  // namespace
