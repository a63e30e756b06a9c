// Hotkeys with injected keys and time: mute and volume, the function keys and
// ctrl-digits, typed characters into the keyboard queue, ctrl-r, ctrl-v; and
// the message bar.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "console/bindings/stat.h"
#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/host_output.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "player/capture/clip_record.h"
#include "player/hotkey.h"
#include "player/key_queue_read.h"
#include "player/keyqueue.h"
#include "player/message.h"
#include "player/pause_menu.h"
#include "player/shell_state.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int32_t CTRL = 224, ALT = 226;
constexpr int32_t KEY_M = 16, KEY_MINUS = 45, KEY_EQUALS = 46, KEY_F1 = 58, KEY_F4 = 61, KEY_F6 = 63, KEY_F7 = 64,
                  KEY_F9 = 66, KEY_6 = 35, KEY_8 = 37, KEY_9 = 38, KEY_0 = 39;

// The run loop's clock, which the tests hold and move themselves.
int32_t& fake_now = run_state().held_clock_ms;

struct hotkey_fixture : ::testing::Test {
  void SetUp() override {
    run_state().clock_held = 1;
    fake_now = 100000;
    tarq_keys_init();
    message_bar = {};
    hotkeys = {};
    tovo_key_queue_clear();
    tovo_set_player_clipboard(nullptr);
    app.pause_state = 0;
    app.volume = 0;
    app.allow_function_keys = 1;
    app.gif_len = 16;
    app.gif_reset_mode = 0;
    cconfig.sound_volume = 256;
    pstate().reset_counter = 0;
    run_state().set_filename[0] = 0;
    reset_video();
  }
  void TearDown() override {
    run_state().clock_held = 0;
    tarq_release_keys();
    tarq_clear_key_queue();
  }

  void press(int32_t key) { tarq_set_key(key, 3); }
  void hold(int32_t key) { tarq_set_key(key, 1); }
  void release_all() { tarq_release_keys(); }
  void type(int32_t code) { tarq_push_key_code(code); }
};

TEST_F(hotkey_fixture, MuteAndVolumeKeys) {
  struct {
    int32_t key, volume, sound, want_volume, want_sound;
    const char* message;
  } cases[] = {
      {KEY_M, 100, 100, 100, 0, "sound off (ctrl-m)"},
      {KEY_M, 0, 0, 0, 256, "sound on (ctrl-m)"},
      {KEY_M, 64, 0, 64, 64, "sound on (ctrl-m)"},
      {KEY_MINUS, 40, 40, 8, 8, " volume:   --------   (ctrl-/+)"},
      {KEY_MINUS, 20, 20, 0, 0, " volume:   --------   (ctrl-/+)"},
      {KEY_MINUS, 300, 300, 256, 256, " volume:   \x10\x10\x10\x10\x10\x10\x10\x10   (ctrl-/+)"},
      {KEY_MINUS, 256, 0, 224, 224, " volume:   \x10\x10\x10\x10\x10\x10\x10-   (ctrl-/+)"},
      {KEY_EQUALS, 100, 0, 132, 132, " volume:   \x10\x10\x10\x10----   (ctrl-/+)"},
      {KEY_EQUALS, 250, 250, 256, 256, " volume:   \x10\x10\x10\x10\x10\x10\x10\x10   (ctrl-/+)"},
      {KEY_EQUALS, -40, 0, 0, 0, " volume:   --------   (ctrl-/+)"},
  };
  for (auto& c : cases) {
    SetUp();
    app.volume = c.volume;
    cconfig.sound_volume = c.sound;
    hold(CTRL);
    press(c.key);
    type('x');
    process_volume_hotkeys();
    EXPECT_EQ(app.volume, c.want_volume) << c.message;
    EXPECT_EQ(cconfig.sound_volume, c.want_sound) << c.message;
    EXPECT_STREQ(message_bar.text, c.message);
    bool volume_key = c.key != KEY_M;
    EXPECT_EQ(message_bar.start, fake_now - (volume_key ? 1000 : 0)) << c.message;
    EXPECT_EQ(message_bar.end, fake_now + (volume_key ? 1900 : 1400)) << c.message;
    EXPECT_EQ(tarq_keypressed(), volume_key ? 0 : 1) << "the key buffer is emptied by the volume keys";
    EXPECT_EQ(cconfig.music_volume, 256);
  }
}

TEST_F(hotkey_fixture, MuteToggleAndVolumeLineOnTheirOwn) {
  struct {
    int32_t volume, sound, want_sound;
    const char* message;
  } cases[] = {
      {100, 100, 0, "sound off (ctrl-m)"},
      {0, 0, 256, "sound on (ctrl-m)"},
      {64, 0, 64, "sound on (ctrl-m)"},
  };
  for (auto& c : cases) {
    SetUp();
    app.volume = c.volume;
    cconfig.sound_volume = c.sound;
    toggle_mute();
    EXPECT_EQ(cconfig.sound_volume, c.want_sound) << c.message;
    EXPECT_EQ(app.volume, c.volume) << "the remembered volume stays";
    EXPECT_STREQ(message_bar.text, c.message);
    EXPECT_EQ(message_bar.end, fake_now + 1400);
  }
  SetUp();
  app.volume = 100;
  display_system_volume();
  EXPECT_STREQ(message_bar.text, " volume:   \x10\x10\x10-----   (ctrl-/+)");
  EXPECT_EQ(message_bar.start, fake_now - 1000) << "already slid in";
  EXPECT_EQ(message_bar.end, fake_now + 1900);
}

TEST_F(hotkey_fixture, VolumeKeysNeedCtrl) {
  app.volume = 100;
  cconfig.sound_volume = 100;
  press(KEY_MINUS);
  press(KEY_M);
  process_volume_hotkeys();
  EXPECT_EQ(app.volume, 100);
  EXPECT_EQ(cconfig.sound_volume, 100);
  EXPECT_EQ(message_bar.text[0], 0);
}

TEST_F(hotkey_fixture, VolumeKeysRebuildAnOpenOptionsPage) {
  app.pause_state = TOVO_PAUSE_OPTIONS;
  build_paused_menu();
  app.volume = 64;
  hold(CTRL);
  press(KEY_EQUALS);
  process_volume_hotkeys();
  EXPECT_STREQ(pause_menu.item[1].label, "volume: \x10\x10\x10-----");
  app.pause_state = 0;
}

TEST_F(hotkey_fixture, FunctionKeyActions) {
  struct {
    int32_t keys[3];
    int32_t allow;
    int32_t want;
  } cases[] = {
      {{KEY_F6}, 1, 1},
      {{KEY_F1}, 1, 1},
      {{KEY_F7}, 1, 2},
      {{KEY_F9}, 1, 4},
      {{KEY_F4}, 1, 4},
      {{KEY_F6}, 0, 0},
      {{CTRL, KEY_6}, 0, 1},
      {{CTRL, KEY_8}, 1, 3},
      {{CTRL, KEY_9, KEY_F6}, 1, 4},
      {{CTRL, KEY_0, KEY_F9}, 1, 0},
      {{ALT, KEY_F6}, 1, 0},
      {{KEY_9}, 1, 0},
  };
  for (auto& c : cases) {
    release_all();
    app.allow_function_keys = c.allow;
    for (int32_t k : c.keys)
      if (k == CTRL || k == ALT) hold(k);
      else if (k) press(k);
    EXPECT_EQ(tovo_function_key_action(), c.want) << c.keys[0] << " " << c.keys[1];
  }
}

TEST_F(hotkey_fixture, ClipAndScreenshotKeys) {
  tovo_test::temp_home home;
  tarq_bitmap* frame = tarq_create_bitmap(128, 128, 8);
  tarq_bitmap* old_display = shell.display;

  press(KEY_F9);
  process_function_hotkeys();
  EXPECT_STREQ(message_bar.text, "no video recorded (rec: ctrl-8)");
  EXPECT_EQ(message_bar.end, fake_now + 1900);

  for (int i = 0; i < 40; i++) record_video_frame(frame);
  release_all();
  hold(CTRL);
  press(KEY_8);
  process_function_hotkeys();
  EXPECT_STREQ(message_bar.text, "set video starting point");
  EXPECT_EQ(message_bar.end, fake_now + 1400);
  EXPECT_EQ(video_clip.index, 0);

  for (int i = 0; i < 40; i++) record_video_frame(frame);
  app.gif_reset_mode = 1;
  release_all();
  hold(CTRL);
  press(KEY_9);
  process_function_hotkeys();
  EXPECT_STREQ(message_bar.text, "saved 1 second gif: TOVO_0.gif");
  EXPECT_TRUE(tovo_test::file_exists(home.path() + "/Desktop/TOVO_0.gif"));
  EXPECT_EQ(video_clip.index, 0) << "gif_reset_mode 1 empties the clip after saving";

  release_all();
  press(KEY_F6);
  shell.display = frame;
  process_function_hotkeys();
  EXPECT_STREQ(message_bar.text, "saved screenshot: TOVO_0.png");
  EXPECT_TRUE(tovo_test::file_exists(home.path() + "/Desktop/TOVO_0.png"));
  shell.display = nullptr;
  process_function_hotkeys();
  EXPECT_STREQ(message_bar.text, "** failed to save screenshot");

  shell.display = old_display;
  tarq_destroy_bitmap(frame);
}

TEST_F(hotkey_fixture, TypedCharactersEnterTheQueue) {
  const int32_t typed[][2] = {{'a', 'a'}, {'A', 128}, {'Z', 153}, {127, 8},   {153, 153},
                              {154, -1},  {200, -1},  {-1, -1},   {' ', ' '}, {'\r', '\r'}};
  for (auto& t : typed) {
    tovo_key_queue_clear();
    type(t[0]);
    process_running_keypresses();
    EXPECT_EQ(tovo_key_queue_pop(), t[1]) << t[0];
    EXPECT_EQ(tovo_key_queue_pop(), -1);
  }
}

TEST_F(hotkey_fixture, QueueDropsCodesWhilePausedOrFull) {
  app.pause_state = TOVO_PAUSE_MENU;
  type('q');
  process_running_keypresses();
  EXPECT_EQ(tovo_key_queue_length(), 0);
  app.pause_state = 0;
  for (int i = 0; i < TOVO_KEY_QUEUE; i++) tovo_key_queue_push('a');
  type('b');
  process_running_keypresses();
  EXPECT_EQ(tovo_key_queue_length(), TOVO_KEY_QUEUE);
  EXPECT_EQ(tovo_key_queue_pop(), 'a');
  EXPECT_EQ(tovo_key_queue_length(), TOVO_KEY_QUEUE - 1);
}

TEST_F(hotkey_fixture, CtrlLettersEnterAsHighCodes) {
  hold(CTRL);
  type('a');
  type('z');
  type('o');
  process_running_keypresses();
  EXPECT_EQ(tovo_key_queue_pop(), 192);
  EXPECT_EQ(tovo_key_queue_pop(), 217);
  EXPECT_EQ(tovo_key_queue_pop(), 206);
  EXPECT_EQ(hotkeys.resource_display, 1);
  type('p');
  process_running_keypresses();
  EXPECT_EQ(hotkeys.resource_display, 0);
}

TEST_F(hotkey_fixture, CtrlRRestartsAtMostOncePer500Ms) {
  app.pause_state = TOVO_PAUSE_MENU;
  hold(CTRL);
  type('r');
  process_running_keypresses();
  EXPECT_EQ(pstate().reset_counter, 1);
  EXPECT_EQ(app.pause_state, 0) << "ctrl-r closes the pause menu";
  EXPECT_EQ(tovo_key_queue_pop(), 'r' + 95);

  pstate().reset_counter = 0;  // the glitch has played
  fake_now += 300;
  type('r');
  process_running_keypresses();
  EXPECT_EQ(pstate().reset_counter, 0) << "300 ms after the last restart";

  fake_now += 201;
  pstate().reset_counter = 3;  // a glitch is playing: no restart
  type('r');
  process_running_keypresses();
  EXPECT_EQ(pstate().reset_counter, 3);

  pstate().reset_counter = 0;
  type('r');
  type('x');
  process_running_keypresses();
  EXPECT_EQ(pstate().reset_counter, 1);
  EXPECT_EQ(hotkeys.last_reload_t, fake_now);
  EXPECT_EQ(tarq_keypressed(), 0) << "the key buffer is emptied";
}

TEST_F(hotkey_fixture, CtrlVStoresTheClipboardForTheCart) {
  tarq_set_clipboard_text("Hi there");
  hold(CTRL);
  type('v');
  process_running_keypresses();
  ASSERT_NE(tovo_player_clipboard_text(), nullptr);
  EXPECT_STREQ(tovo_player_clipboard_text(), "Hi there");
  EXPECT_EQ(tovo_key_queue_pop(), 'v' + 95);

  tarq_set_clipboard_text("");
  type('v');
  process_running_keypresses();
  ASSERT_NE(tovo_player_clipboard_text(), nullptr);
  EXPECT_STREQ(tovo_player_clipboard_text(), "Hi there") << "an empty clipboard keeps the old text";
}

TEST_F(hotkey_fixture, MessageTimesAndSlide) {
  show_message("hello", 1000);
  EXPECT_STREQ(message_bar.text, "hello");
  EXPECT_EQ(message_bar.colour, 15);
  EXPECT_EQ(message_bar.start, 100000);
  EXPECT_EQ(message_bar.end, 101400);
  const int32_t offsets[][2] = {{100000, 10}, {100100, 5}, {100199, 0}, {100700, 0},
                                {101200, 0},  {101300, 5}, {101399, 9}};
  for (auto& o : offsets) EXPECT_EQ(tovo_message_offset(o[0]), o[1]) << o[0];

  show_message_2("saved %d second gif to desktop", 1500, 16, 0);
  EXPECT_STREQ(message_bar.text, "saved 16 second gif to desktop");
  std::string long_text(400, 'x');
  show_message(long_text.c_str(), 10);
  EXPECT_EQ(strlen(message_bar.text), 255u);
}

TEST_F(hotkey_fixture, MessageBarIsDrawnUntilItsEnd) {
  tarq_bitmap* page = tarq_create_bitmap(128, 128, 8);
  show_message("hello", 1000);
  draw_message_bar(page, 100500);
  EXPECT_EQ(page->rows[121][0], 8);
  EXPECT_EQ(page->rows[127][127], 8);
  EXPECT_EQ(page->rows[120][0], 0);
  tarq_clear_bitmap(page);
  draw_message_bar(page, 100120);  // sliding in: 4 pixels lower
  EXPECT_EQ(page->rows[124][0], 0);
  EXPECT_EQ(page->rows[125][0], 8);
  tarq_clear_bitmap(page);
  draw_message_bar(page, 101400);
  EXPECT_EQ(page->rows[125][5], 0);

  snprintf(message_bar.hover, sizeof message_bar.hover, "tip");
  draw_message_bar(page, 200000);
  EXPECT_EQ(page->rows[121][0], 8);
  EXPECT_EQ(message_bar.hover[0], 0) << "the hover text is cleared at every draw";

  tarq_clear_bitmap(page);
  show_message("devkit keyboard enabled", 2000);
  draw_message_bar(page, 101000);
  EXPECT_EQ(page->rows[119][0], 0);
  EXPECT_EQ(page->rows[120][50], 6);
  EXPECT_EQ(page->rows[126][127], 6);
  tarq_destroy_bitmap(page);
}

}  // namespace
