// The shell's "config.txt" keys and command-line switches.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"
#include "player/shell_config.h"
#include "player/shell_state.h"
#include "tests/support/temp_dir.h"

namespace {

struct shell_config : ::testing::Test {
  void SetUp() override {
    memset(&app, 0, sizeof app);
    memset(&shell, 0, sizeof shell);
    memset(&run_state(), 0, sizeof run_state());
    set_default_app_config();
    saved = cconfig;
  }
  void TearDown() override {
    if (app.input_record) fclose(app.input_record);
    if (app.output_record) fclose(app.output_record);
    app.input_record = app.output_record = nullptr;
    cconfig = saved;
  }
  void args(std::vector<const char*> a) {
    a.insert(a.begin(), "tovo");
    process_arguments((int)a.size(), const_cast<char**>(a.data()));
  }
  std::string saved_text() {
    tarq_file* f = tarq_create_buffer(0x1000);
    EXPECT_EQ(tovo_save_config(f), 0);
    std::string text((const char*)f->data, (size_t)f->size);
    tarq_destroy_buffer(f);
    return text;
  }
  tarq_config saved;
};

TEST_F(shell_config, WritesTheExactSectionWithTheDefaults) {
  snprintf(shell.root_path, sizeof shell.root_path, "/home/u/.halvorn/tovo/carts/");
  snprintf(shell.cdata_path, sizeof shell.cdata_path, "/home/u/.halvorn/tovo/cdata/");
  app.volume = 192;
  const std::string expected =
      "version 0.2.4\n\n"
      "// audio volume: 0..256 \nvolume 192\n\n"
      "\n// Location of tovo's root folder\nroot_path /home/u/.halvorn/tovo/carts/\n\n"
      "\n// Location of cartridge save data\ncdata_path /home/u/.halvorn/tovo/cdata/\n\n"
      "\n// Specify which player index joystick control begins at (0..7)\njoystick_index 0\n\n"
      "\n// Custom keyboard scancodes for buttons. player0 0..6, player1 0..5\n"
      "button_keys 0 0 0 0 0 0 0 0 0 0 0 0 0 \n\n"
      "// Play notes as they are plotted in frequency mode\nlive_notes 0\n\n"
      "// iff 1: when using keyboard cursor, snap to closest pixel / map cel\ncursor_snap 0\n\n"
      "// 0 default  1 dark blue background in code editor  2 black background in code editor   3 gray "
      "background in code editor   \ngui_theme 0\n\n"
      "// scale of screenshots and gifs // 2 means 256x256\nscreenshot_scale 3\ngif_scale 3\n\n"
      "// maximum gif length in seconds (0..120; 0 means no gif recording)\ngif_len 16\n\n"
      "// when 1, reset the recording when pressing ctrl-9 (useful for creating a non-overlapping "
      "sequence)\ngif_reset_mode 0\n\n"
      "// 0 for off. 1 to allow control of a cart's framerate due to host machine's cpu capacity "
      "(recommended)\nhost_framerate_control 1\n\n"
      "// filter splore cartridges\n// 0 off   1 on (exclude cartridge tagged as 'mature' by community)\n"
      "splore_filter 0\n\n"
      "// tab display width (1 ~ 4 spaces)\ntab_width 1\n\n"
      "// 0 off 1 on: draw tab characters as small vertical lines\ndraw_tabs 0\n\n"
      "// 0 off 1 on: record the current cartridge and editor view every 3 seconds (see "
      "[appdata]/activity.log.txt)\nrecord_activity_log 1\n\n"
      "// 0 off 1 on: allow F6..F9 (alternative: ctrl 6..9)\nallow_function_keys 1\n\n"
      "// 0 off 1 on: automatically check for a newer version of a BBS cart each time it is run.\n"
      "check_for_cart_updates 1\n\n"
      "// 0 off 1 on: allow access to hardware GPIO at 0x5f80..0x5fff (might need to sudo tovo)\n"
      "enable_gpio 1\n\n"
      "// hide mouse cursor for n seconds when typing.\nauto_hide_mouse_cursor 5\n\n";
  EXPECT_EQ(saved_text(), expected);
  app.flip_ampersand = 3;
  EXPECT_NE(saved_text().find("enable_gpio 1\n\nflip_ampersand 1\n\n// hide"), std::string::npos);
}

TEST_F(shell_config, ReadsKeysByPrefixAndKeepsFileValues) {
  cconfig.sound_volume = 100;
  const char* lines[] = {"volume 300",
                         "gif_len 30",
                         "button_keys 1 2 3 4 5 6 7 8 9 10 11 12 13",
                         "gif_reset_mode 1",
                         "content_filter 2",
                         "splore_filter 0",
                         "tab_width 3",
                         "flip_ampersand 1",
                         "gif_len_extra nothing",
                         "root_path /tmp/carts/",
                         "unknown_key 5",
                         "auto_hide_mouse_cursor"};
  for (const char* line : lines) EXPECT_EQ(tovo_load_config(line), 0) << line;
  EXPECT_EQ(app.volume, 300);  // the file value is not clamped
  EXPECT_EQ(cconfig.sound_volume, 300);
  EXPECT_EQ(app.gif_len, 30);
  for (int i = 0; i < 13; i++) EXPECT_EQ(app.button_keys[i], i + 1);
  EXPECT_EQ(app.gif_reset_mode, 0);  // written but never read
  EXPECT_EQ(app.splore_filter, 0);   // the later line wins
  EXPECT_EQ(app.tab_width, 3);
  EXPECT_EQ(app.flip_ampersand, 1);
  EXPECT_STREQ(shell.root_path, "/tmp/carts/");
  EXPECT_EQ(app.auto_hide_mouse_cursor, 5);  // no number: unchanged
  tovo_load_config("content_filter 2");
  EXPECT_EQ(app.splore_filter, 1);
}

TEST_F(shell_config, VolumeLineLeavesMutedSoundMuted) {
  cconfig.sound_volume = 0;
  tovo_load_config("volume 128");
  EXPECT_EQ(app.volume, 128);
  EXPECT_EQ(cconfig.sound_volume, 0);
}

TEST_F(shell_config, SwitchesTakeTheirValues) {
  cconfig.sound_volume = 50;
  args({"game.kx", "-p", "level2", "more.kx", "-volume", "300", "-tv_frame", "1", "-displays_x", "3", "-glitch_test",
        "2", "-joystick", "4", "-accept_future", "1", "-gpio_base", "x"});
  EXPECT_STREQ(app.cart_name, "game.kx");
  EXPECT_STREQ(run_state().pending_param, "level2");  // made current when the cart first runs
  ASSERT_EQ(app.further_count, 1);
  EXPECT_STREQ(app.further_names[0], "more.kx");
  EXPECT_EQ(app.volume, 256);  // the switch clamps
  EXPECT_EQ(cconfig.sound_volume, 256);
  EXPECT_EQ(app.tv_frame, 1);
  EXPECT_EQ(app.displays_x, 3);
  EXPECT_EQ(app.glitch_test, 2);
  EXPECT_EQ(app.joystick_index, 4);
  EXPECT_EQ(app.accept_future, 1);
  EXPECT_EQ(app.gpio_base, 0);  // a value that is no number reads as 0
}

TEST_F(shell_config, FlagSwitchesAndTheirEffects) {
  args({"-x", "cart.kx"});
  EXPECT_EQ(run_state().exec, 1);
  EXPECT_EQ(app.run_requested, 1);
  EXPECT_EQ(cconfig.headless, 1);
  EXPECT_STREQ(app.cart_name, "cart.kx");
  memset(&app, 0, sizeof app);
  args({"-run", "-kiosk", "-global_api"});
  EXPECT_EQ(app.run_requested, 1);
  EXPECT_EQ(app.kiosk, 1);
  EXPECT_EQ(app.browser_requested, 1);
  EXPECT_EQ(app.global_api, 1);
  EXPECT_EQ(run_state().exec, 1);  // left from before: switches only set
}

TEST_F(shell_config, UnknownSwitchesPipesAndExportNames) {
  args({"-width", "580", "cart.kx", "|", "other.kx", "-run"});
  EXPECT_STREQ(app.cart_name, "cart.kx");  // 580 went to the unknown switch
  EXPECT_EQ(app.further_count, 0);
  EXPECT_EQ(app.run_requested, 0);
  memset(&app, 0, sizeof app);
  args({"-export", "-game.bin", "cart.kx"});
  EXPECT_STREQ(app.export_name, "-game.bin");  // a dash value is taken whole
  EXPECT_STREQ(app.cart_name, "cart.kx");
  memset(&app, 0, sizeof app);
  args({"a.kx", ">", "b.kx"});
  EXPECT_STREQ(app.cart_name, "a.kx");
  EXPECT_EQ(app.further_count, 0);
}

TEST_F(shell_config, FurtherNamesStopAtTheirRoom) {
  std::vector<std::string> names;
  std::vector<const char*> a;
  for (int i = 0; i < 40; i++) names.push_back("cart" + std::to_string(i) + ".kx");
  for (const std::string& n : names) a.push_back(n.c_str());
  args(a);
  EXPECT_STREQ(app.cart_name, "cart0.kx");
  ASSERT_EQ(app.further_count, TOVO_FURTHER_NAMES);
  EXPECT_STREQ(app.further_names[32], "cart33.kx");
}

TEST_F(shell_config, RecordFilesOpenOnce) {
  tovo_test::temp_dir dir;
  std::string in = dir.file("in.rec"), out = dir.file("out.rec"), out2 = dir.file("out2.rec");
  ASSERT_TRUE(tovo_test::write_file(in, "x"));
  args({"-i", in.c_str(), "-o", out.c_str(), "-o", out2.c_str()});
  EXPECT_NE(app.input_record, nullptr);
  EXPECT_NE(app.output_record, nullptr);
  EXPECT_TRUE(tovo_test::file_exists(out));
  EXPECT_FALSE(tovo_test::file_exists(out2));
}

}  // namespace
