// The key configuration screen: binding keys held down, one a release,
// Delete for the default key, Escape and the drawing of its rows.
#include <gtest/gtest.h>

#include <SDL_scancode.h>

#include <cstring>

#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/platform/events.h"
#include "player/keyconfig_screen.h"
#include "player/pause_menu.h"
#include "player/shell_state.h"

namespace {

struct keyconfig_screen : ::testing::Test {
  int32_t saved[TOVO_BUTTON_KEYS];
  tovo_button_config saved_config;  // the screen binds the keys of the buttons too
  void SetUp() override {
    memcpy(saved, app.button_keys, sizeof saved);
    saved_config = button_config();
    for (int32_t i = 0; i < TOVO_BUTTON_KEYS; i++) app.button_keys[i] = 100 + i;
    tarq_release_keys();
    shell.sub_mode = 1;
    keyconfig_init();
  }
  void TearDown() override {
    memcpy(app.button_keys, saved, sizeof saved);
    button_config() = saved_config;
    tarq_release_keys();
    shell.sub_mode = 0;
  }
  // Holds the keys for one tick, then releases them for one tick.
  void press(std::initializer_list<int32_t> keys) {
    keyconfig_update();  // ready once nothing is held
    for (int32_t k : keys) tarq_set_key(k, 1);
    keyconfig_update();
    for (int32_t k : keys) tarq_set_key(k, 0);
  }
};

}  // namespace

TEST_F(keyconfig_screen, DeleteForEveryPromptLeavesTheDefaultKeys) {
  for (int32_t i = 0; i < TOVO_BUTTON_KEYS; i++) press({i % 2 ? SDL_SCANCODE_DELETE : SDL_SCANCODE_BACKSPACE});
  EXPECT_EQ(keyconfig.key_index, TOVO_KEYCONFIG_DONE);
  for (int32_t i = 0; i < TOVO_BUTTON_KEYS; i++) EXPECT_EQ(app.button_keys[i], 0) << i;
  EXPECT_EQ(button_config().keys[13], 0);
}

TEST_F(keyconfig_screen, AKeyBindsOnlyAfterAllWereReleased) {
  tarq_set_key(SDL_SCANCODE_A, 1);
  keyconfig_update();  // not ready: a key is down
  keyconfig_update();
  EXPECT_EQ(keyconfig.key_index, 0);
  tarq_set_key(SDL_SCANCODE_A, 0);
  press({SDL_SCANCODE_B});
  EXPECT_EQ(keyconfig.key_index, 1);
  EXPECT_EQ(app.button_keys[0], SDL_SCANCODE_B);
  EXPECT_EQ(button_config().keys[1], SDL_SCANCODE_B);  // the live buttons follow
}

TEST_F(keyconfig_screen, TwoHeldKeysBindThisAndTheNextSlotInScancodeOrder) {
  press({SDL_SCANCODE_K, SDL_SCANCODE_C});
  EXPECT_EQ(keyconfig.key_index, 2);
  EXPECT_EQ(app.button_keys[0], SDL_SCANCODE_C);
  EXPECT_EQ(app.button_keys[1], SDL_SCANCODE_K);
}

TEST_F(keyconfig_screen, EscapeAfterSevenBindingsRestoresEverySlot) {
  for (int32_t i = 0; i < 7; i++) press({SDL_SCANCODE_A + i});
  EXPECT_EQ(app.button_keys[6], SDL_SCANCODE_A + 6);
  keyconfig_keypress(27);
  EXPECT_EQ(shell.sub_mode, 0);
  for (int32_t i = 0; i < TOVO_BUTTON_KEYS; i++) EXPECT_EQ(app.button_keys[i], 100 + i) << i;
  EXPECT_EQ(button_config().keys[7], 106);
}

TEST_F(keyconfig_screen, ClosingKeepsACompleteBindingAndAnyKeyLeavesAfterIt) {
  for (int32_t i = 0; i < 12; i++) press({SDL_SCANCODE_A + i});
  keyconfig_keypress('q');  // before the last binding: ignored
  EXPECT_EQ(shell.sub_mode, 1);
  for (int32_t code : {1, 2, 3}) tarq_push_key_code(code);
  press({SDL_SCANCODE_P});
  EXPECT_EQ(tarq_keypressed(), 0);  // the key buffer is emptied at the last binding
  keyconfig_close();
  EXPECT_EQ(app.button_keys[12], SDL_SCANCODE_P);
  keyconfig_keypress('q');
  EXPECT_EQ(shell.sub_mode, 0);
  EXPECT_EQ(pstate().cursor_y, 120);
}

TEST_F(keyconfig_screen, ClosingEarlyRestores) {
  press({SDL_SCANCODE_X});
  keyconfig_close();
  EXPECT_EQ(app.button_keys[0], 100);
}

TEST_F(keyconfig_screen, DrawsTheScreenWithTheAskedRowHighlighted) {
  tarq_bitmap* b = tarq_create_bitmap(128, 128, 8);
  press({SDL_SCANCODE_A});
  press({SDL_SCANCODE_B});
  keyconfig_draw(b);
  EXPECT_EQ(tarq_getpixel(b, 0, 127), 1u);
  EXPECT_EQ(tarq_getpixel(b, 100, 3), 7u);
  EXPECT_EQ(tarq_getpixel(b, 5, 42), 6u);
  int32_t asked_y = 44 + 6 * 2;
  EXPECT_EQ(tarq_getpixel(b, 119, asked_y + 2), 14u);  // the bar of the key asked for
  EXPECT_EQ(tarq_getpixel(b, 119, asked_y + 8), 6u);
  tarq_destroy_bitmap(b);
}

TEST_F(keyconfig_screen, OpeningAsSubModeDrawsTheScreenAtOnce) {
  tarq_bitmap* saved_screen = pstate().screens[0];
  pstate().screens[0] = tarq_create_bitmap(128, 128, 8);
  shell.sub_mode = 0;
  keyconfig_open();
  EXPECT_EQ(shell.sub_mode, 1);
  EXPECT_EQ(keyconfig.key_index, 0);
  EXPECT_EQ(tarq_getpixel(pstate().screens[0], 119, 45), 14u);
  tarq_destroy_bitmap(pstate().screens[0]);
  pstate().screens[0] = saved_screen;
}

TEST_F(keyconfig_screen, ThePausePageDrawsTheScreen) {
  tarq_bitmap* page = tarq_create_bitmap(128, 128, 8);
  int32_t saved_state = app.pause_state;
  app.pause_state = TOVO_PAUSE_KEYCONFIG;
  draw_paused_menu(page);
  EXPECT_EQ(tarq_getpixel(page, 0, 127), 1u);
  EXPECT_EQ(tarq_getpixel(page, 119, 45), 14u);
  app.pause_state = saved_state;
  tarq_destroy_bitmap(page);
}
