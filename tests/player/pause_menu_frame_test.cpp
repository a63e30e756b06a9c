// The pause menu through the frame loop with keys typed on the host keyboard:
// opening on P, navigation, the options page, a cart item's event, Escape,
// typed characters dropped while the menu is open, and keys tapped faster
// than a tick around the menu's closing, with a cart that counts its presses.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "console/machine/button.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/platform/events.h"
#include "engine/tarq.h"
#include "player/frame.h"
#include "player/frame_step.h"
#include "player/key_queue_read.h"
#include "player/keyqueue.h"
#include "player/pause_menu.h"
#include "player/shell_state.h"
#include "script/api/api.h"
#include "sound/sound.h"
#include "tests/player/player_reset.h"
#include "tests/support/cart_machine.h"

namespace {

constexpr int32_t KEY_P = 19, KEY_Z = 29, KEY_X = 27, KEY_LEFT = 80, KEY_RIGHT = 79, KEY_DOWN = 81, KEY_UP = 82,
                  KEY_ESCAPE = 41;

struct frame_menu : ::testing::Test {
  tovo_cart* cart = nullptr;

  void SetUp() override {
    tovo_test::reset_player_globals();
    cart = pstate().cart = tarq_create_tovo_cart();
    app.volume = 128;
    cconfig.sound_volume = 128;
    shell.mode = TOVO_MODE_RUNNING;
    shell.program_started = 1;
    shell.frame_rate = 30;
    run_state().running = 1;
    run_state().mainloop_exists = 0;  // the tick checks the pause button itself
  }
  void TearDown() override {
    tarq_release_keys();
    tarq_clear_key_queue();
    app.pause_state = 0;
    app.menu_event = 0;
    shell.mode = 0;
    shell.program_started = 0;
    run_state().running = 0;
    tarq_request_quit(0);
    tarq_set_audio_pause(0);
    if (cart && pstate().cart == cart) pstate().cart = nullptr;
    tarq_destroy_tovo_cart(cart);
  }

  // One host frame with these keys down (pressed this frame), due one tick.
  void frame(std::initializer_list<int32_t> keys) {
    tarq_release_keys();
    for (int32_t k : keys) tarq_set_key(k, 3);
    tarq_unblock_released_keys();  // as the engine's key pump does
    app.accumulator = 0;
    app.last_t = tarq_get_time() + TOVO_TIME_OFFSET - 40;
    tovo_frame_update();
  }
  // A key tapped: down for one frame, up for the next.
  void tap(int32_t key) {
    frame({key});
    frame({});
  }
  const char* selected() const { return pause_menu.item[pause_menu.selected].label; }
};

TEST_F(frame_menu, OpenNavigateOptionsAndEscape) {
  tap(KEY_P);
  ASSERT_EQ(app.pause_state, TOVO_PAUSE_MENU);
  EXPECT_STREQ(selected(), "continue");
  tap(KEY_UP);
  EXPECT_STREQ(selected(), "quit");
  tap(KEY_DOWN);
  tap(KEY_DOWN);
  EXPECT_STREQ(selected(), "options");
  tap(KEY_Z);
  ASSERT_EQ(app.pause_state, TOVO_PAUSE_OPTIONS);
  tap(KEY_DOWN);
  tap(KEY_LEFT);
  tap(KEY_LEFT);
  tap(KEY_LEFT);
  tap(KEY_LEFT);
  EXPECT_EQ(app.volume, 8) << "128 - 4 x 32 stops at 8";
  tap(KEY_RIGHT);
  EXPECT_EQ(app.volume, 40);
  EXPECT_EQ(cconfig.sound_volume, 40);
  tovo_key_queue_push('q');
  tap(KEY_ESCAPE);
  EXPECT_EQ(app.pause_state, 0);
  EXPECT_EQ(tovo_key_queue_length(), 0) << "closing empties the keyboard queue";
}

TEST_F(frame_menu, TypedCharactersAreDroppedWhileTheMenuIsOpen) {
  tap(KEY_P);
  ASSERT_EQ(app.pause_state, TOVO_PAUSE_MENU);
  tarq_push_key_code('a');
  frame({});
  EXPECT_EQ(tovo_key_queue_length(), 0);
  tap(KEY_Z);  // continue
  EXPECT_EQ(app.pause_state, 0);
  tarq_push_key_code('a');
  frame({});
  EXPECT_EQ(tovo_key_queue_pop(), 'a');
}

TEST_F(frame_menu, CartItemEventReachesTheRunLoop) {
  snprintf(run_state().menu_label[1], sizeof run_state().menu_label[1], "sound fx");
  tap(KEY_P);
  tap(KEY_DOWN);
  ASSERT_STREQ(selected(), "sound fx");
  frame({KEY_RIGHT});
  EXPECT_EQ(run_state().menu_selected[1], TOVO_MENU_EVENT_RIGHT);
  EXPECT_EQ(app.menu_event, 1);
  EXPECT_EQ(app.pause_state, 0);
  frame({});
  EXPECT_EQ(app.menu_event, 0) << "the next slice serves the event";
  EXPECT_EQ(run_state().menu_selected[1], TOVO_MENU_EVENT_RIGHT) << "until the cart asks for it";
}

TEST_F(frame_menu, QuitEndsTheMainLoop) {
  tap(KEY_P);
  tap(KEY_UP);
  tap(KEY_Z);
  EXPECT_EQ(tarq_quit_requested(), 1);
}

// A cart with a main loop that counts the presses of O and X, run through
// the frame loop at 30 ticks a second by a host that draws twice as often:
// every other host frame has no tick, and a key tapped in such a frame is
// down for that frame only, as a key pressed and let go between two pumps.
struct menu_taps : ::testing::Test {
  void SetUp() override {
    tovo_test::reset_player_globals();
    tovo_test::create_cart_machine();
    app.volume = 128;
    cconfig.sound_volume = 128;
    cconfig.headless = 1;
    shell.mode = TOVO_MODE_STOPPED;
    shell.frame_rate = 30;
    tovo_test::set_cart_code("o=0 x=0 function _update() if btnp(4) then o+=1 end if btnp(5) then x+=1 end end");
    run_state().pending_action = TOVO_PENDING_RUN;
    for (int i = 0; i < 3; i++) frame({}, true);
  }
  void TearDown() override {
    tarq_release_keys();
    app.pause_state = 0;
    run_state().pending_action = TOVO_PENDING_SUSPEND;
    frame({}, true);
    tovo_test::destroy_cart_machine();
    cconfig.headless = 0;
    shell.mode = 0;
    shell.program_started = 0;
    run_state().running = 0;
    run_state().pending_action = 0;
    tarq_request_quit(0);
    tarq_set_audio_pause(0);
  }

  // One host frame with these keys down, with one tick or none.
  void frame(std::initializer_list<int32_t> keys, bool tick) {
    tarq_release_keys();
    for (int32_t k : keys) tarq_set_key(k, 3);
    tarq_unblock_released_keys();
    app.accumulator = 0;
    app.last_t = tarq_get_time() + TOVO_TIME_OFFSET - (tick ? 40 : 0);
    tovo_frame_update();
  }
  // A key tapped in a frame without a tick, then a frame with one.
  void tap(int32_t key) {
    frame({key}, false);
    frame({}, true);
  }
  int32_t count(const char* name) {
    lua_getglobal(L0_cart(), name);
    int32_t n = lua_type(L0_cart(), -1) == LUA_TNUMBER ? (int32_t)lua_tointeger(L0_cart(), -1) : -1;
    lua_pop(L0_cart(), 1);
    return n;
  }
};

// Each tap of P opens the menu once and each tap of Z closes it, the next
// P coming in the first frame after the close; the cart never sees the Z
// that the menu took.
TEST_F(menu_taps, EveryTapOpensOrClosesTheMenuOnce) {
  ASSERT_EQ(shell.mode, TOVO_MODE_RUNNING);
  ASSERT_EQ(count("o"), 0);
  for (int i = 0; i < 3; i++) {
    SCOPED_TRACE(i);
    tap(KEY_P);
    EXPECT_EQ(app.pause_state, TOVO_PAUSE_MENU) << "the tap was lost";
    frame({}, true);
    EXPECT_EQ(app.pause_state, TOVO_PAUSE_MENU);
    tap(KEY_Z);
    EXPECT_EQ(app.pause_state, 0) << "continue";
  }
  for (int i = 0; i < 4; i++) frame({}, true);
  EXPECT_EQ(app.pause_state, 0) << "the menu opened again on its own";
  EXPECT_EQ(count("o"), 0) << "the O that chose continue reached the cart";
  EXPECT_EQ(count("x"), 0);
}

// Keys tapped while the menu closes: X in the frame right after the closing
// tick reaches the cart exactly once; P tapped with the Z that chooses
// "continue" is the menu's too, and does not open it again.
TEST_F(menu_taps, TapsAtTheCloseAreNeitherLostNorDoubled) {
  tap(KEY_P);
  ASSERT_EQ(app.pause_state, TOVO_PAUSE_MENU);
  frame({KEY_Z}, true);
  ASSERT_EQ(app.pause_state, 0);
  tap(KEY_X);
  for (int i = 0; i < 40; i++) frame({}, i % 2 == 0);  // long enough for a repeat
  EXPECT_EQ(count("x"), 1);
  EXPECT_EQ(count("o"), 0);

  tap(KEY_P);
  ASSERT_EQ(app.pause_state, TOVO_PAUSE_MENU);
  frame({KEY_Z, KEY_P}, false);
  frame({}, true);
  EXPECT_EQ(app.pause_state, 0);
  for (int i = 0; i < 4; i++) frame({}, true);
  EXPECT_EQ(app.pause_state, 0) << "the P chosen with Z opened the menu again";
  EXPECT_EQ(count("o"), 0);
  EXPECT_EQ(count("x"), 1);
}

}  // namespace
