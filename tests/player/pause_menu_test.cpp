// The pause menu: its items, opening on the pause button with the 0x5f30
// swallow, navigation sequences with wrap, the options page with volume
// clamps and switches, menu events to the cart's items, reset and quit; the
// controls picture's key rows; drawing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "console/bindings/stat.h"
#include "console/machine/button.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/platform/events.h"
#include "engine/platform/window.h"
#include "engine/tarq.h"
#include "player/browser/splore_download.h"
#include "player/key_queue_read.h"
#include "player/keyqueue.h"
#include "player/pause_menu.h"
#include "player/shell_state.h"

namespace {

enum { LEFT = 0, RIGHT = 1, UP = 2, DOWN = 3, O = 4, X = 5, PAUSE = 6 };

struct pause_fixture : ::testing::Test {
  void SetUp() override {
    if (!pstate().cart) own_cart = pstate().cart = tarq_create_tovo_cart();
    pstate().ram[0x5f30] = 0;
    memset(pstate().held, 0, sizeof pstate().held);
    button_state() = {};
    button_config().menu_callback = 0;
    for (auto& label : run_state().menu_label) label[0] = 0;
    for (auto& s : run_state().menu_selected) s = 0;
    reset_run_chain();
    pause_menu = {};
    app.pause_state = 0;
    app.menu_event = 0;
    app.run_requested = 0;
    app.volume = 128;
    cconfig.sound_volume = 128;
    cconfig.headless = 1;
    shell.program_started = 1;
    pstate().reset_counter = 0;
    tarq_request_quit(0);
    tarq_state.paused = 0;
    tovo_key_queue_clear();
  }
  void TearDown() override {
    tarq_request_quit(0);
    app.pause_state = 0;
    app.menu_event = 0;
    button_config().menu_callback = 0;
    run_state().pending_action = 0;
    run_state().load_delay = 0;
    pstate().reset_counter = 0;
    cconfig.headless = 0;
    reset_run_chain();
    if (own_cart && pstate().cart == own_cart) pstate().cart = nullptr;
    tarq_destroy_tovo_cart(own_cart);
  }
  tovo_cart* own_cart = nullptr;

  // One paused tick with button b of player 0 pressed this frame.
  void tick(int b) { tick_holding(b, b); }
  // A paused tick with buttons b and also held.
  void tick_holding(int b, int also) {
    memset(pstate().held, 0, sizeof pstate().held);
    memset(button_state().previous, 0, sizeof button_state().previous);
    memset(button_state().blocked, 0, sizeof button_state().blocked);
    pstate().held[0][b] = 1;
    pstate().held[0][also] = 1;
    process_paused_keypresses();
  }
  // The pause button as the cart's epilogue leaves it: held and pressed.
  void open() {
    memset(pstate().held, 0, sizeof pstate().held);
    pstate().held[0][PAUSE] = 1;
    button_state().pressed[0][PAUSE] = 1;
    update_paused_menu();
  }
  std::vector<std::string> labels() const {
    std::vector<std::string> out;
    for (int i = 0; i < pause_menu.count; i++) out.push_back(pause_menu.item[i].label);
    return out;
  }
  const char* selected() const { return pause_menu.item[pause_menu.selected].label; }
};

TEST_F(pause_fixture, ItemsInOrder) {
  open();
  EXPECT_EQ(labels(), (std::vector<std::string>{"continue", "options", "reset cart", "quit"}));

  const char* cart_items[] = {"one", "two", "", "four", "five-is-sixteen!"};
  for (int i = 0; i < 5; i++)
    snprintf(run_state().menu_label[i + 1], sizeof run_state().menu_label[i + 1], "%s", cart_items[i]);
  add_run_chain_item("a.kx", "back to a", 0);
  app.run_requested = 1;
  build_paused_menu();
  EXPECT_EQ(labels(), (std::vector<std::string>{"continue", "one", "two", "four", "five-is-sixteen!", "options",
                                                "reset cart", "back to a", "quit", "shutdown"}));
  EXPECT_EQ(pause_menu.item[3].type, TOVO_ITEM_CART + 4);
  EXPECT_EQ(pause_menu.item[7].type, TOVO_ITEM_RUN_CHAIN);
  EXPECT_EQ(pause_menu.item[9].type, TOVO_ITEM_QUIT);

  snprintf(run_state().menu_label[3], sizeof run_state().menu_label[3], "three");
  build_paused_menu();
  EXPECT_EQ(pause_menu.count, 11);
}

TEST_F(pause_fixture, PauseButtonOpensAndFirstPressCanBeSwallowed) {
  pstate().ram[0x5f30] = 1;
  open();
  EXPECT_EQ(app.pause_state, 0);
  EXPECT_EQ(pstate().ram[0x5f30], 0);
  open();
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_MENU);
  EXPECT_EQ(pause_menu.selected, 0);
  EXPECT_EQ(button_state().blocked[0][PAUSE], 1) << "held buttons are blocked";

  app.pause_state = 0;
  shell.program_started = 0;
  open();
  EXPECT_EQ(app.pause_state, 0) << "not before the program has started";
}

TEST_F(pause_fixture, ATapOfThePauseKeyOpensTheMenu) {
  // The tick reads the buttons and the epilogue updates them, then flip
  // checks the pause button: a key pressed on this frame only.
  tarq_set_key(19, 3);  // P
  step_input(TOVO_INPUT_CART_FRAMES);
  update_buttons();
  tarq_set_key(19, 0);
  update_paused_menu();
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_MENU);
}

TEST_F(pause_fixture, UpdatePromptComesFirst) {
  splore.newer_version = 1;  // what the update check of a running cart sets
  update_paused_menu();
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_MENU);
  EXPECT_EQ(labels(), (std::vector<std::string>{"update cart", "skip"}));
  EXPECT_EQ(splore.newer_version, 0);
  tick(O);
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_MENU) << "update cart does nothing in the player";
  tick(DOWN);
  tick(X);
  EXPECT_EQ(app.pause_state, 0);
}

TEST_F(pause_fixture, NavigationWraps) {
  open();
  struct {
    int button;
    const char* want;
  } steps[] = {{UP, "quit"},      {UP, "reset cart"}, {DOWN, "quit"},    {DOWN, "continue"},
               {DOWN, "options"}, {LEFT, "options"},  {RIGHT, "options"}};
  for (auto& s : steps) {
    tick(s.button);
    EXPECT_STREQ(selected(), s.want);
  }
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_MENU);
}

TEST_F(pause_fixture, OptionsPageSequence) {
  tarq_window.tarq_screen_mode = 0;
  open();
  tick(DOWN);
  tick(O);
  ASSERT_EQ(app.pause_state, TOVO_PAUSE_OPTIONS);
  EXPECT_EQ(labels(), (std::vector<std::string>{"sound:on", "volume: \x10\x10\x10\x10----", "fullscreen:off",
                                                "controls", "back"}));
  EXPECT_EQ(pause_menu.selected, 0);

  tick(DOWN);
  struct {
    int32_t volume, button, want;
  } steps[] = {{8, LEFT, 8}, {40, LEFT, 8}, {250, RIGHT, 256}, {256, RIGHT, 256}, {100, RIGHT, 132}};
  for (auto& s : steps) {
    app.volume = s.volume;
    tick(s.button);
    EXPECT_EQ(app.volume, s.want) << s.volume;
    EXPECT_EQ(cconfig.sound_volume, s.want) << "the volume becomes the sound volume";
    EXPECT_EQ(button_state().blocked[0][s.button], 1);
  }
  app.volume = 256;
  build_paused_menu();
  EXPECT_STREQ(pause_menu.item[1].label, "volume: \x10\x10\x10\x10\x10\x10\x10\x10");

  tick(UP);
  tick(O);
  EXPECT_STREQ(pause_menu.item[0].label, "sound:off");
  EXPECT_EQ(cconfig.sound_volume, 0);
  EXPECT_STREQ(pause_menu.item[1].label, "volume: \x12\x12\x12\x12\x12\x12\x12\x12");
  app.volume = 0;
  tick(X);
  EXPECT_EQ(cconfig.sound_volume, 256) << "sound on with no remembered volume is 256";
  EXPECT_STREQ(pause_menu.item[0].label, "sound:on");

  tarq_window.tarq_screen_mode = 1;
  build_paused_menu();
  EXPECT_STREQ(pause_menu.item[2].label, "fullscreen:on");
  tarq_window.tarq_screen_mode = 0;

  tick(UP);  // back
  EXPECT_STREQ(selected(), "back");
  tick(O);
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_MENU);
  EXPECT_STREQ(selected(), "continue");
}

TEST_F(pause_fixture, ControlsPageOpensFromOptions) {
  open();
  tick(DOWN);
  tick(O);
  tick(UP);
  tick(UP);
  EXPECT_STREQ(selected(), "controls");
  tick(O);
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_CONTROLS);
}

TEST_F(pause_fixture, CartItemsSendEventsAndClose) {
  snprintf(run_state().menu_label[2], sizeof run_state().menu_label[2], "restart level");
  struct {
    int button, event;
  } cases[] = {{LEFT, TOVO_MENU_EVENT_LEFT}, {RIGHT, TOVO_MENU_EVENT_RIGHT}, {O, 0x70}, {X, 0x70}};
  for (auto& c : cases) {
    run_state().menu_selected[2] = 0;
    app.menu_event = 0;
    open();
    tick(DOWN);
    ASSERT_STREQ(selected(), "restart level");
    tovo_key_queue_push('a');
    tick(c.button);
    EXPECT_EQ(run_state().menu_selected[2], c.event) << c.button;
    EXPECT_EQ(app.menu_event, 1);
    EXPECT_EQ(app.pause_state, 0);
    EXPECT_EQ(tovo_key_queue_length(), 0) << "closing the menu empties the keyboard queue";
  }
}

TEST_F(pause_fixture, ContinueResetAndQuit) {
  open();
  tovo_key_queue_push('a');
  tick_holding(PAUSE, LEFT);  // left (which "continue" ignores) held with the pause button
  EXPECT_EQ(app.pause_state, 0);
  EXPECT_EQ(tovo_key_queue_length(), 0);
  EXPECT_EQ(button_state().blocked[0][LEFT], 1) << "held buttons are blocked once the menu closes";
  EXPECT_EQ(button_state().blocked[0][UP], 0) << "a button that is up stays free";

  open();
  tick(DOWN);
  tick(DOWN);
  ASSERT_STREQ(selected(), "reset cart");
  tick(O);
  EXPECT_EQ(app.pause_state, 0);
  EXPECT_EQ(pstate().reset_counter, 1);

  open();
  tick(UP);
  tick(X);
  EXPECT_EQ(tarq_quit_requested(), 1);
}

TEST_F(pause_fixture, RunChainItemGoesBack) {
  add_run_chain_item("menu.kx", "main menu", 0);
  open();
  tick(UP);
  tick(UP);
  ASSERT_STREQ(selected(), "main menu");
  tick(O);
  EXPECT_EQ(app.pause_state, 0);
  EXPECT_EQ(get_run_chain_label(), nullptr) << "the entry is followed and popped";
}

TEST_F(pause_fixture, ControlsRows) {
  int32_t saved[TOVO_KEY_TABLE_SIZE + 1];
  memcpy(saved, button_config().keys, sizeof saved);
  struct {
    int32_t keys[TOVO_KEY_TABLE_SIZE + 1];
    const char* rows[4];
  } cases[] = {
      {{}, {"cursors", "z x/c v", "s f e d", "tab q w"}},
      {{0, 80, 79, 82, 81}, {"cursors", "z x/c v", "s f e d", "tab q w"}},
      {{0, 4, 7, 26, 22, 44, 0, 0, 0, 0, 0, 0, 20}, {"a d w s", "\x10      ", "s f e d", "  q    "}},
      {{0, 80, 0, 0, 0, 0, 0, 4}, {"\x10      ", "z x/c v", "a      ", "tab q w"}},
  };
  for (auto& c : cases) {
    memcpy(button_config().keys, c.keys, sizeof c.keys);
    for (int row = 0; row < 4; row++) {
      char text[16];
      tovo_controls_row_text(row, text, sizeof text);
      EXPECT_STREQ(text, c.rows[row]) << row;
    }
  }
  memcpy(button_config().keys, saved, sizeof saved);
}

TEST_F(pause_fixture, MenuBoxIsDrawn) {
  tarq_bitmap* page = tarq_create_bitmap(128, 128, 8);
  memset(page->pixels, 7, 128 * 128);
  open();
  draw_paused_menu(page);
  int32_t h = ((pause_menu.count + 1) * 8) / 2;
  EXPECT_EQ(page->rows[64 - h][24], 7) << "outline";
  EXPECT_EQ(page->rows[63 - h][23], 1) << "darkened edge";
  EXPECT_EQ(page->rows[70][60], 1) << "darkened inside";
  EXPECT_EQ(page->rows[10][10], 7) << "outside the box";

  app.pause_state = TOVO_PAUSE_CONTROLS;
  memset(page->pixels, 7, 128 * 128);
  draw_paused_controls_menu(page);
  EXPECT_EQ(page->rows[64][64], 1);
  tarq_destroy_bitmap(page);
}

}  // namespace

namespace {

TEST_F(pause_fixture, MenuBoxQueriesCountTheRebuiltItems) {
  EXPECT_EQ(tovo_shell().menu_item_count(), 4);
  snprintf(run_state().menu_label[1], sizeof run_state().menu_label[1], "extra");
  EXPECT_EQ(tovo_shell().menu_item_count(), 5);
}

}  // namespace

namespace {

TEST_F(pause_fixture, CartOpensTheMenuThroughTheRunLoopCalls) {
  open();
  tick(DOWN);
  tick(DOWN);
  app.pause_state = 0;
  tovo_shell().build_paused_menu(0, 1);
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_MENU);
  EXPECT_STREQ(selected(), "reset cart") << "extcmd(\"pause\", 1) keeps the selection";
  tovo_shell().build_paused_menu(0, 0);
  EXPECT_STREQ(selected(), "continue");
  tovo_shell().build_paused_menu(1, 0);
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_CONTROLS);

  app.pause_state = 0;
  memset(pstate().held, 0, sizeof pstate().held);
  pstate().held[0][PAUSE] = 1;
  button_state().pressed[0][PAUSE] = 1;
  tovo_shell().update_paused_menu();
  EXPECT_EQ(app.pause_state, TOVO_PAUSE_MENU) << "flip checks the pause button";
}

// Items are kept up to sixteen, their labels cut to sixteen characters and
// zero-filled behind.
TEST_F(pause_fixture, ItemsAreAddedUpToSixteen) {
  for (int i = 0; i < 18; i++) add_paused_menu_item(i == 0 ? "a label longer than sixteen" : "x", 257 + i);
  ASSERT_EQ(pause_menu.count, 16);
  EXPECT_STREQ(pause_menu.item[0].label, "a label longer t");
  EXPECT_EQ(pause_menu.item[15].type, 257 + 15);
  EXPECT_EQ(pause_menu.item[1].label[1], 0);
  EXPECT_EQ(pause_menu.item[1].label[16], 0);
}

// Setting the pause state empties the keyboard queue when it closes an open
// page, and only then.
TEST_F(pause_fixture, ClosingAPageEmptiesTheKeyboardQueue) {
  const struct {
    int32_t from, to;
    bool emptied;
  } cases[] = {
      {TOVO_PAUSE_MENU, TOVO_PAUSE_CLOSED, true},     {TOVO_PAUSE_OPTIONS, TOVO_PAUSE_CLOSED, true},
      {TOVO_PAUSE_CONTROLS, TOVO_PAUSE_CLOSED, true}, {TOVO_PAUSE_KEYCONFIG, TOVO_PAUSE_CLOSED, true},
      {TOVO_PAUSE_CLOSED, TOVO_PAUSE_CLOSED, false},  {TOVO_PAUSE_CLOSED, TOVO_PAUSE_MENU, false},
      {TOVO_PAUSE_MENU, TOVO_PAUSE_OPTIONS, false},   {TOVO_PAUSE_OPTIONS, TOVO_PAUSE_CONTROLS, false},
  };
  for (const auto& c : cases) {
    tovo_key_queue_clear();
    tovo_key_queue_push('a');
    tovo_key_queue_push('b');
    app.pause_state = c.from;
    set_paused_menu_state(c.to);
    EXPECT_EQ(app.pause_state, c.to);
    EXPECT_EQ(stat_inputs().key_queue_len, c.emptied ? 0 : 2) << c.from << " -> " << c.to;
  }
}

}  // namespace
