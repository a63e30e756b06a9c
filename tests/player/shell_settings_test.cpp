// The shell settings the config command reaches: names to fields, the sound
// volume following the remembered one, and the code tabs' tab stops.
#include <gtest/gtest.h>

#include "console/run/shell_port.h"
#include "engine/config.h"
#include "engine/data/ctext.h"
#include "player/shell_settings.h"
#include "player/shell_state.h"

namespace {

struct shell_settings : ::testing::Test {
  void SetUp() override {
    saved_app = app;
    saved_volume = cconfig.sound_volume;
    for (int i = 0; i < 16; i++) saved_tabs[i] = shell.tabs[i];
  }
  void TearDown() override {
    app = saved_app;
    cconfig.sound_volume = saved_volume;
    for (int i = 0; i < 16; i++) shell.tabs[i] = saved_tabs[i];
  }
  tovo_app_state saved_app;
  int32_t saved_volume = 0;
  tarq_ctext* saved_tabs[16] = {};
  tarq_ctext tab_a{}, tab_b{};
};

TEST_F(shell_settings, names_reach_their_fields_through_the_hooks) {
  const struct {
    const char* name;
    int32_t tovo_app_state::*field;
  } cases[] = {
      {"theme", &tovo_app_state::gui_theme},         {"splore_filter", &tovo_app_state::splore_filter},
      {"gif_len", &tovo_app_state::gif_len},         {"gif_reset_mode", &tovo_app_state::gif_reset_mode},
      {"gif_scale", &tovo_app_state::gif_scale},     {"screenshot_scale", &tovo_app_state::screenshot_scale},
      {"enable_gpio", &tovo_app_state::enable_gpio},
  };
  int32_t value = 3;
  for (const auto& c : cases) {
    tovo_shell().set_setting(c.name, value);
    EXPECT_EQ(app.*c.field, value) << c.name;
    EXPECT_EQ(tovo_shell().get_setting(c.name), value) << c.name;
    value += 2;
  }
  tovo_shell().set_setting("sfx_filters", 1);  // not a shell setting: not kept
  EXPECT_EQ(tovo_shell().get_setting("sfx_filters"), 0);
}

TEST_F(shell_settings, volume_becomes_the_sound_volume_unless_sound_is_off) {
  cconfig.sound_volume = 200;
  tovo_set_shell_setting("volume", 96);
  EXPECT_EQ(app.volume, 96);
  EXPECT_EQ(cconfig.sound_volume, 96);
  cconfig.sound_volume = 0;
  tovo_set_shell_setting("volume", 160);
  EXPECT_EQ(app.volume, 160);
  EXPECT_EQ(cconfig.sound_volume, 0);
}

TEST_F(shell_settings, tab_width_sets_every_tab_stop_up_to_16_pixels) {
  shell.tabs[0] = &tab_a;
  shell.tabs[5] = &tab_b;
  tovo_set_shell_setting("tab_width", 2);
  EXPECT_EQ(app.tab_width, 2);
  EXPECT_EQ(tab_a.tab_width, 8);
  EXPECT_EQ(tab_b.tab_width, 8);
  tovo_set_shell_setting("tab_width", 7);
  EXPECT_EQ(app.tab_width, 7);
  EXPECT_EQ(tab_a.tab_width, 16);
}

}  // namespace
