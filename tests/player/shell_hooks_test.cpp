// Small pieces of the shell: the steps that do nothing but hand their
// argument back, text measures, the message bar's further forms, debugging
// prints, the pod's title, the mounted carts' reverse look-up, the pause menu
// held open, single steps of the frame update, the controls picture's lamps
// and the worker's end of a download.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "console/bindings/stat.h"
#include "console/machine/button.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/tarq.h"
#include "player/boot.h"
#include "player/browser/splore.h"
#include "player/browser/splore_download.h"
#include "player/capture/record_output.h"
#include "player/cart/cart_image.h"
#include "player/cart/disk.h"
#include "player/cart/export_step.h"
#include "player/cart/import_step.h"
#include "player/cart/mounted_names.h"
#include "player/console_port.h"
#include "player/debug_tools.h"
#include "player/emergency_pause.h"
#include "player/frame_parts.h"
#include "player/message.h"
#include "player/message_forms.h"
#include "player/pause_menu.h"
#include "player/pod_title.h"
#include "player/prompt_tools.h"
#include "player/shell_state.h"
#include "sound/sound.h"
#include "tests/player/boot_fixture.h"
#include "tests/player/player_reset.h"

namespace {

TEST(shell_hooks, EmptyStepsHandTheirArgumentBack) {
  int32_t (*const hooks[])(int32_t) = {draw_splash_screen, draw_command_string, open_filesystem, do_file_test};
  for (auto hook : hooks)
    for (int32_t arg : {0, 7, -3}) EXPECT_EQ(hook(arg), arg);
  const char* name = "game.bin";
  EXPECT_EQ(do_export(name), name);
  EXPECT_EQ(do_import(name), name);
  EXPECT_EQ(do_export(nullptr), nullptr);
  EXPECT_EQ(load_splash_bmp(), 0) << "the player ships no splash picture";
}

TEST(text_measure, WidthsAndInputCodes) {
  const std::pair<const char*, int32_t> widths[] = {
      {"", 0}, {"abc", 3}, {"\x80", 2}, {"a\x97z", 4}, {"\xff\xff", 4}, {nullptr, 0},
  };
  for (const auto& [text, want] : widths) EXPECT_EQ(visual_strlen(text), want) << (text ? text : "null");
  const std::pair<int32_t, bool> codes[] = {{-1, false}, {0, false}, {13, false}, {15, false},
                                            {16, true},  {32, true}, {127, true}, {255, true}};
  for (const auto& [code, want] : codes) EXPECT_EQ(is_input_char(code), want) << code;
}

struct message_forms : ::testing::Test {
  void SetUp() override {
    run_state().clock_held = 1;
    run_state().held_clock_ms = 50000;
    message_bar = {};
  }
  void TearDown() override {
    run_state().clock_held = 0;
    message_bar = {};
  }
};

TEST_F(message_forms, ExFormsActAsThePlainOnes) {
  show_message_ex("saved", 1000);
  tovo_message_bar ex = message_bar;
  message_bar = {};
  show_message("saved", 1000);
  EXPECT_EQ(memcmp(&ex, &message_bar, sizeof ex), 0);
  show_message_2_ex("saved %d second gif %d", 1500, 8, 2);
  EXPECT_STREQ(message_bar.text, "saved 8 second gif 2");
  EXPECT_EQ(message_bar.end, 50000 + 1500 + TOVO_MESSAGE_EXTRA_MS);
  EXPECT_EQ(message_bar.colour, 15);
}

TEST_F(message_forms, HoverTextOnlyWhileNoMessageShows) {
  show_message_hover("sprite %d of %d", 3, 255);
  EXPECT_STREQ(message_bar.hover, "sprite 3 of 255");
  message_bar.hover[0] = 0;
  show_message("hello", 1000);
  show_message_hover("sprite %d", 4, 0);
  EXPECT_STREQ(message_bar.hover, "") << "a message is showing";
  run_state().held_clock_ms = message_bar.end;
  show_message_hover("sprite %d", 4, 0);
  EXPECT_STREQ(message_bar.hover, "sprite 4");
}

TEST(debug_print, StrstrAndPatternZero) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(test_strstr("load game", "game"), 5);
  EXPECT_EQ(test_strstr("load game", "run"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "strstr: [game] in [load game]: 5\nstrstr: [run] in [load game]: -1\n");
  pitem(0) = tarq_create_tovo_cart();
  ASSERT_NE(pitem(0), nullptr);
  pitem(0)->music[0][1] = 12;
  testing::internal::CaptureStdout();
  debug_print_pattern_0("after load");
  std::string line = testing::internal::GetCapturedStdout();
  EXPECT_EQ(line.rfind("after load: 65 12 67 68 (", 0), 0u) << line;
  EXPECT_EQ(line.substr(line.size() - 5), " ms)\n");
  tarq_destroy_tovo_cart(pitem(0));
  pitem(0) = nullptr;
}

using pod_pieces = boot_fixture;

TEST_F(pod_pieces, TitleOfThePodNamesTheOutputFiles) {
  tarq_file* item = (tarq_file*)cpod_get_item(shell.resources, 4, TARQ_ITEM_FILE);
  ASSERT_NE(item, nullptr);
  std::string title(reinterpret_cast<const char*>(item->data), (size_t)item->size);
  title = title.substr(0, title.find('\0'));
  ASSERT_FALSE(title.empty());
  EXPECT_EQ(get_embedded_cart_title(), title);
  EXPECT_STREQ(get_output_file_name_base(), title.c_str()) << "letters, digits and blanks stay";
  tarq_pod* resources = shell.resources;
  shell.resources = nullptr;
  EXPECT_STREQ(get_embedded_cart_title(), "");
  EXPECT_STREQ(get_output_file_name_base(), "TOVO");
  shell.resources = resources;
}

TEST_F(pod_pieces, MountedCartByHash) {
  tovo_cart* a = tarq_create_tovo_cart();
  tovo_cart* b = tarq_create_tovo_cart();
  snprintf(b->code, TOVO_CODE_SIZE, "print(2)");
  clear_embedded_carts();
  mount_embedded_cart(a, "first.kx");
  mount_embedded_cart(b, "second.kx");
  mount_embedded_cart(b, "again.kx");
  char hash_b[TOVO_HASH_SIZE];
  hash_cart(b, hash_b);
  EXPECT_STREQ(get_embedded_cart_filename_for_hash(hash_b), "second.kx") << "the first record with the hash";
  EXPECT_STREQ(get_embedded_cart_filename_for_hash(mounted_cart(0)->hash), "first.kx");
  EXPECT_EQ(get_embedded_cart_filename_for_hash("0000"), nullptr);
  EXPECT_EQ(get_embedded_cart_filename_for_hash(nullptr), nullptr);
  clear_embedded_carts();
  EXPECT_EQ(get_embedded_cart_filename_for_hash(hash_b), nullptr);
  tarq_destroy_tovo_cart(a);
  tarq_destroy_tovo_cart(b);
}

struct held_pause : ::testing::Test {
  void SetUp() override {
    tovo_test::reset_player_globals();
    emergency_pause = {};
    run_state().clock_held = 1;
    run_state().held_clock_ms = 1000;
    shell.mode = TOVO_MODE_RUNNING;
  }
  void TearDown() override {
    tovo_test::reset_player_globals();
    emergency_pause = {};
  }
  // One tick with the pause button held (or not), ms after the last.
  void tick(bool held, int32_t ms) {
    run_state().held_clock_ms += ms;
    pstate().held[0][6] = held;
    update_emergency_paused_menu();
  }
};

TEST_F(held_pause, OpensAfterMoreThanFiveTicksAndHalfASecond) {
  struct {
    int32_t ticks, ms_each;
    bool opens;
  } cases[] = {
      {5, 200, false},  // long enough, but only five ticks
      {6, 101, true},   // six ticks over more than 500 ms
      {6, 90, false},   // six ticks in 450 ms
      {20, 30, true},   // the 18th tick is past 500 ms
      {17, 30, false},
  };
  for (const auto& c : cases) {
    SetUp();
    for (int32_t i = 0; i < c.ticks; i++) tick(true, c.ms_each);
    EXPECT_EQ(app.pause_state, c.opens ? TOVO_PAUSE_MENU : TOVO_PAUSE_CLOSED) << c.ticks << " x " << c.ms_each;
    if (c.opens) {
      EXPECT_STREQ(pause_menu.item[0].label, "continue");
      EXPECT_EQ(pause_menu.selected, 0);
      EXPECT_EQ(button_state().blocked[0][6], 1) << "the held button does not act on the menu";
    }
  }
}

TEST_F(held_pause, ReleasingStartsTheCountAgainAndAnOpenPageStays) {
  for (int i = 0; i < 5; i++) tick(true, 200);
  tick(false, 16);
  for (int i = 0; i < 5; i++) tick(true, 200);
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_CLOSED);
  tick(true, 200);
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_MENU);
  app.pause_state = TOVO_PAUSE_OPTIONS;
  for (int i = 0; i < 8; i++) tick(true, 200);
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_OPTIONS);
}

struct frame_parts : ::testing::Test {
  void SetUp() override { tovo_test::reset_player_globals(); }
  void TearDown() override { tovo_test::reset_player_globals(); }
};

TEST_F(frame_parts, PointerLockedOnlyForARunningCartThatAsks) {
  struct {
    int32_t pause_state, mode, flags;
    bool want;
  } cases[] = {
      {0, TOVO_MODE_RUNNING, 5, true},  {0, TOVO_MODE_RUNNING, 0xff, true}, {0, TOVO_MODE_RUNNING, 1, false},
      {0, TOVO_MODE_RUNNING, 4, false}, {1, TOVO_MODE_RUNNING, 5, false},   {0, TOVO_MODE_STOPPED, 5, false},
      {0, TOVO_MODE_BOOT, 5, false},
  };
  for (const auto& c : cases) {
    app.pause_state = c.pause_state;
    shell.mode = c.mode;
    pstate().ram[0x5f2d] = c.flags;
    EXPECT_EQ(should_be_pointer_locked(), c.want) << c.pause_state << " " << c.mode << " " << c.flags;
  }
}

TEST_F(frame_parts, AudioPausesWithTheMenuAndComesBackFiveUpdatesLater) {
  struct {
    int32_t pause_state, menu_event, request, before, after;
  } cases[] = {
      {1, 0, 0, 0, 1}, {0, 1, 0, 3, 1}, {1, 0, 2, 0, 0},  // 2: the cart keeps playing under the menu
      {1, 0, 2, 3, 3}, {0, 0, 1, 0, 1}, {0, 0, 0, 1, 2}, {0, 0, 0, 4, 5},
      {0, 0, 0, 5, 0}, {0, 0, 0, 0, 0}, {0, 0, 2, 7, 0},
  };
  for (const auto& c : cases) {
    app.pause_state = c.pause_state;
    app.menu_event = c.menu_event;
    pstate().ram[0x5f2f] = c.request;
    tarq_set_audio_pause(c.before);
    determine_audio_pause_state();
    EXPECT_EQ(tarq_audio_pause(), c.after) << c.pause_state << c.menu_event << c.request << c.before;
  }
}

TEST_F(frame_parts, MouseChangesAgainstTheLastTick) {
  // Without a window the mouse reads (0, 0) with no buttons.
  process_devkit_mouse_activity();
  EXPECT_EQ(stat_inputs().mouse_changes, 0) << "nothing to compare the first reading with";
  struct {
    int32_t x, y, b, want;
  } cases[] = {{0, 0, 0, 0}, {5, 0, 0, 1}, {0, 9, 0, 2}, {0, 0, 1, 4}, {3, 3, 2, 7}};
  for (const auto& c : cases) {
    stat_inputs().mouse_changes = 0;
    app.tick_mouse_x = c.x;
    app.tick_mouse_y = c.y;
    app.tick_mouse_b = c.b;
    process_devkit_mouse_activity();
    EXPECT_EQ(stat_inputs().mouse_changes, c.want) << c.x << " " << c.y << " " << c.b;
    EXPECT_EQ(app.tick_mouse_x, 0);
  }
}

struct lamps : boot_fixture {
  void SetUp() override {
    boot_fixture::SetUp();
    shell.font = tarq_load_pod_item(shell.data_pod, 2);
    for (int32_t& f : button_state().forced) f = -1;
  }
  void TearDown() override {
    tarq_destroy_pod(shell.font);
    shell.font = nullptr;
    for (int32_t& f : button_state().forced) f = -1;
    boot_fixture::TearDown();
  }
  std::string lamp(int32_t b, bool lit) {
    tarq_clear_bitmap(screen);
    button_state().forced[0] = lit ? 1 << b : 0;
    draw_controls_button(screen, b, 0, 10, 20);
    return std::string(reinterpret_cast<const char*>(screen->pixels), 128 * 128);
  }
};

TEST_F(lamps, LitWhileHeldWithTheGlyphLower) {
  const std::string blank(128 * 128, '\0');
  for (int32_t b = 0; b <= 7; b++) {
    std::string off = lamp(b, false), on = lamp(b, true);
    if (b == 7) {
      EXPECT_EQ(off, blank) << "buttons above 6 draw nothing";
      EXPECT_EQ(on, blank);
      continue;
    }
    EXPECT_NE(off, blank) << b;
    EXPECT_NE(off, on) << b;
  }
  // The glyph of a lit lamp stands one pixel lower: the lamp alone is the
  // pause button's, which carries no glyph.
  tarq_bitmap* lit_sprite = (tarq_bitmap*)cpod_get_item(shell.resources, 248, TARQ_ITEM_BITMAP);
  ASSERT_NE(lit_sprite, nullptr);
  std::string pause_lamp = lamp(6, true), left_lamp = lamp(0, true);
  int32_t differing_rows_above = 0;
  for (int32_t y = 0; y <= 20; y++)
    differing_rows_above += memcmp(&pause_lamp[(size_t)y * 128], &left_lamp[(size_t)y * 128], 128) != 0;
  EXPECT_EQ(differing_rows_above, 0) << "nothing of the glyph on the lamp's top row";
  EXPECT_NE(pause_lamp, left_lamp);
  draw_controls_button(nullptr, 0, 0, 0, 0);  // no page: nothing
}

using suspend = boot_fixture;

TEST_F(suspend, ASuspendedProgramPutsTheBrowsersListsAtRest) {
  ASSERT_EQ(connect_console_to_shell(), 0);
  int32_t saved_count = splore.list_count;
  splore.list_count = 2;
  splore.lists[0].selected = 3;
  splore.lists[1].selected = 5;
  splore.lists[0].scroll = splore.lists[1].scroll = 0;
  run_state().program = 0;
  suspend_program();
  EXPECT_EQ(splore.lists[0].scroll, 0) << "no program: nothing suspended";
  run_state().program = 1;
  suspend_program();
  EXPECT_EQ(splore.lists[0].scroll, 3);
  EXPECT_EQ(splore.lists[1].scroll, 5);
  run_state().program = 0;
  splore.lists[0] = splore.lists[1] = splore_list{};
  splore.list_count = saved_count;
}

TEST(download_end, ReportsOnlyADownloadStillUnderWay) {
  struct {
    int32_t before;
    bool loaded;
    int32_t after;
  } cases[] = {
      {SPLORE_DOWNLOAD_RUNNING, true, SPLORE_DOWNLOAD_DONE}, {SPLORE_DOWNLOAD_RUNNING, false, SPLORE_DOWNLOAD_FAILED},
      {SPLORE_DOWNLOAD_QUIET, true, SPLORE_DOWNLOAD_DONE},   {SPLORE_DOWNLOAD_QUIET, false, SPLORE_DOWNLOAD_FAILED},
      {SPLORE_DOWNLOAD_IDLE, true, SPLORE_DOWNLOAD_IDLE},  // cancelled meanwhile
      {SPLORE_DOWNLOAD_IDLE, false, SPLORE_DOWNLOAD_IDLE},   {SPLORE_DOWNLOAD_DONE, false, SPLORE_DOWNLOAD_DONE},
  };
  for (const auto& c : cases) {
    set_splore_download_state(c.before);
    if (c.loaded) dl_on_load();
    else dl_on_error();
    EXPECT_EQ(splore_download_state(), c.after) << c.before << " " << c.loaded;
  }
  set_splore_download_state(SPLORE_DOWNLOAD_IDLE);
}

}  // namespace
