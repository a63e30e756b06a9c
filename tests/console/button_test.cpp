// Buttons: keys and their table, controllers and the dead zone, repeat
// timing at 30 and 60 frames a second, blocking, and the press query.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <vector>

#include "console/machine/button.h"
#include "console/machine/button_queries.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/platform/events.h"
#include "engine/platform/joystick.h"
#include "engine/tarq.h"
#include "tests/support/temp_dir.h"

namespace {

class ButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    std::memset(&button_state(), 0, sizeof button_state());
    std::memset(&button_config(), 0, sizeof button_config());
    for (int32_t& f : button_state().forced) f = -1;
    std::memset(pstate().held, 0, sizeof pstate().held);
    tarq_keys_init();
    pstate().ram[0x5f5c] = pstate().ram[0x5f5d] = pstate().ram[0x5f2d] = 0;
    tarq_state.paused = 0;
    run_state().target_fps = 30;
    button_state().mode = TOVO_INPUT_CART;
  }
  void TearDown() override { tarq_release_keys(); }

  static void key(int32_t code, bool down) { tarq_set_key(code, down ? 1 : 0); }

  // Holds player 0's button 0 (left arrow) for `frames` frames and lists
  // the frames on which it was pressed.
  static std::vector<int> press_frames(int frames) {
    std::vector<int> out;
    key(80, true);
    for (int f = 0; f < frames; f++) {
      step_input(TOVO_INPUT_CART);
      if (button_state().pressed[0][0]) out.push_back(f);
    }
    key(80, false);
    return out;
  }
};

TEST_F(ButtonTest, DefaultKeysOfBothPlayers) {
  struct {
    int32_t code;
    int player, button;
  } cases[] = {
      {80, 0, 0}, {92, 0, 0},  {79, 0, 1}, {94, 0, 1}, {82, 0, 2}, {96, 0, 2}, {81, 0, 3}, {93, 0, 3},
      {29, 0, 4}, {6, 0, 4},   {17, 0, 4}, {89, 0, 4}, {73, 0, 4}, {27, 0, 5}, {25, 0, 5}, {90, 0, 5},
      {76, 0, 5}, {16, 0, 5},  {19, 0, 6}, {40, 0, 6}, {41, 0, 6}, {22, 1, 0}, {9, 1, 1},  {8, 1, 2},
      {7, 1, 3},  {225, 1, 4}, {43, 1, 4}, {26, 1, 4}, {4, 1, 5},  {20, 1, 5},
  };
  for (const auto& c : cases) {
    key(c.code, true);
    read_buttons();
    for (int p = 0; p < TOVO_PLAYERS; p++)
      for (int b = 0; b < TOVO_BUTTONS; b++)
        EXPECT_EQ(pstate().held[p][b], p == c.player && b == c.button ? 1 : 0)
            << "key " << c.code << " p" << p << " b" << b;
    key(c.code, false);
  }
}

TEST_F(ButtonTest, EscapeAndMDependOnTheMachine) {
  key(41, true);
  struct {
    tovo_input_mode mode;
    int32_t held;
  } modes[] = {{TOVO_INPUT_MENU, 0}, {TOVO_INPUT_SHELL, 0}, {TOVO_INPUT_CART, 1}, {TOVO_INPUT_CART_FRAMES, 1}};
  for (const auto& m : modes) {
    step_input(m.mode);
    EXPECT_EQ(pstate().held[0][6], m.held) << "mode " << m.mode;
    button_state().tapped[0] = 0;
    latch_key_taps(m.mode);
    EXPECT_EQ(button_state().tapped[0] >> 6 & 1, m.held) << "latched in mode " << m.mode;
    button_state().tapped[0] = 0;
    step_input(TOVO_INPUT_SHELL);  // let go of it in between
  }
  key(41, false);
  button_state().mode = TOVO_INPUT_CART;

  key(16, true);
  key(224, true);  // left ctrl
  read_buttons();
  EXPECT_EQ(pstate().held[0][5], 0);
  key(224, false);
  read_buttons();
  EXPECT_EQ(pstate().held[0][5], 1);
}

TEST_F(ButtonTest, BoundKeyReplacesEveryDefault) {
  button_config().keys[1] = 4;    // player 0 left: A
  button_config().keys[13] = 44;  // pause: space
  key(80, true);
  key(92, true);  // keypad 4 is a default of left too
  key(19, true);
  read_buttons();
  EXPECT_EQ(pstate().held[0][0], 0);
  EXPECT_EQ(pstate().held[0][6], 0);
  key(4, true);
  key(44, true);
  read_buttons();
  EXPECT_EQ(pstate().held[0][0], 1);
  EXPECT_EQ(pstate().held[0][6], 1);
  EXPECT_EQ(pstate().held[1][5], 1);  // A is still player 1's X
  EXPECT_TRUE(is_key_bound(4));
  EXPECT_FALSE(is_key_bound(44));  // the pause entry is not one of the six
}

TEST_F(ButtonTest, ControllerDeadZoneAndDpad) {
  struct {
    int32_t x, y, mask;
    int32_t left, right, up, down;
  } cases[] = {
      {20000, 20000, 0, 0, 156, 0, 156},   {10000, 10000, 0x2000 | 0x1000, 255, 0, 0, 255},  // inside: only the d-pad
      {10000, 10000, 0, 0, 0, 0, 0},       {-17000, 0, 0x4000, 132, 0, 0, 0},  // outside: the d-pad is ignored
      {-32768, -32768, 0, 255, 0, 255, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tovo_controller_value(0, c.x, c.y, c.mask), c.left) << c.x << "," << c.y;
    EXPECT_EQ(tovo_controller_value(1, c.x, c.y, c.mask), c.right) << c.x << "," << c.y;
    EXPECT_EQ(tovo_controller_value(2, c.x, c.y, c.mask), c.up) << c.x << "," << c.y;
    EXPECT_EQ(tovo_controller_value(3, c.x, c.y, c.mask), c.down) << c.x << "," << c.y;
  }
  EXPECT_EQ(tovo_controller_value(4, 0, 0, 1), 255);  // A
  EXPECT_EQ(tovo_controller_value(4, 0, 0, 8), 255);  // Y
  EXPECT_EQ(tovo_controller_value(5, 0, 0, 2), 255);  // B
  EXPECT_EQ(tovo_controller_value(5, 0, 0, 4), 255);  // X
  EXPECT_EQ(tovo_controller_value(6, 0, 0, 0x40), 255);
  EXPECT_EQ(tovo_controller_value(7, 0, 0, 0xffff), 0);
}

// A game controller plugged in as SDL's virtual device, read through the
// engine's controller slots as in the player (with a fresh application
// folder, where the slots look for extra mappings).
class ControllerButtonTest : public ButtonTest {
 protected:
  tovo_test::temp_home home;

  void SetUp() override {
    ButtonTest::SetUp();
    ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS), 0);
    ASSERT_GE(SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0), 0);
    tarq_joystick_init();
    ASSERT_NE(tarq_joysticks.metacon[0].controller, nullptr);
  }
  void TearDown() override {
    tarq_joystick_exit();
    SDL_Quit();
    ButtonTest::TearDown();
  }
  // Moves the x axis of controller 0's stick (the device's axis 0).
  static void stick_x(int16_t v) {
    SDL_JoystickSetVirtualAxis(SDL_GameControllerGetJoystick(tarq_joysticks.metacon[0].controller), 0, v);
    SDL_JoystickUpdate();
  }
};

TEST_F(ControllerButtonTest, ControllersMapToPlayersFromTheFirstIndex) {
  read_buttons();  // the stick is seen at rest first, so that it counts
  EXPECT_EQ(pstate().held[0][1], 0);
  stick_x(20000);
  read_buttons();
  EXPECT_EQ(pstate().held[0][1], 1);
  button_config().first_controller = 2;  // player 2 reads controller 0
  read_buttons();
  EXPECT_EQ(pstate().held[0][1], 0);
  EXPECT_EQ(pstate().held[2][1], 1);
  EXPECT_EQ(player_button(1, 1), 0);  // controller -1 reads nothing
  EXPECT_EQ(player_button(1, 8), 0);
  EXPECT_EQ(player_button(1, -1), 0);
}

// A press that only the controller may give: the right arrow key alone
// presses button 1 for the menu, but not for the controller-only query.
TEST_F(ControllerButtonTest, ControllerOnlyPressIgnoresKeys) {
  step_input(TOVO_INPUT_MENU);  // the menu's reading: the buttons are read last
  key(79, true);
  step_input(TOVO_INPUT_MENU);
  EXPECT_EQ(button_pressed(1, 0), 1);
  EXPECT_EQ(button_pressed_nok(1, 0), 0);
  key(79, false);
  step_input(TOVO_INPUT_MENU);
  step_input(TOVO_INPUT_MENU);
  stick_x(20000);
  step_input(TOVO_INPUT_MENU);
  EXPECT_EQ(button_pressed(1, 0), 1);
  EXPECT_EQ(button_pressed_nok(1, 0), 1);
  EXPECT_EQ(button_pressed_nok(0, 0), 0);
  EXPECT_EQ(button_pressed_nok(8, 0), 0);
}

TEST_F(ButtonTest, ForcedMaskHoldsButtons) {
  button_state().forced[3] = 0x21;
  read_buttons();
  EXPECT_EQ(pstate().held[3][0], 1);
  EXPECT_EQ(pstate().held[3][5], 1);
  EXPECT_EQ(pstate().held[3][1], 0);
}

TEST_F(ButtonTest, RepeatTimingAt30And60Fps) {
  EXPECT_EQ(press_frames(30), (std::vector<int>{0, 15, 19, 23, 27}));
  step_input(TOVO_INPUT_CART);  // released
  run_state().target_fps = 60;
  EXPECT_EQ(press_frames(50), (std::vector<int>{0, 30, 38, 46}));
  step_input(TOVO_INPUT_CART);
  pstate().ram[0x5f5c] = 5;
  pstate().ram[0x5f5d] = 1;
  EXPECT_EQ(press_frames(17), (std::vector<int>{0, 10, 12, 14, 16}));
  step_input(TOVO_INPUT_CART);
  pstate().ram[0x5f5c] = 255;
  EXPECT_EQ(press_frames(100), (std::vector<int>{0}));
}

TEST_F(ButtonTest, PausedEngineOrNoRateScalesAt30) {
  run_state().target_fps = 60;
  tarq_state.paused = 1;
  EXPECT_EQ(tovo_button_repeat_delay(), 15);
  EXPECT_EQ(tovo_button_update_rate(), 30);
  tarq_state.paused = 0;
  EXPECT_EQ(tovo_button_update_rate(), 60);
  button_state().mode = TOVO_INPUT_MENU;
  EXPECT_EQ(tovo_button_update_rate(), 30);
  button_state().mode = TOVO_INPUT_CART;
  run_state().target_fps = 0;
  EXPECT_EQ(tovo_button_update_rate(), 30);
  EXPECT_EQ(tovo_button_repeat_interval(), 4);
}

TEST_F(ButtonTest, MenuOpenUsesFixedTiming) {
  run_state().target_fps = 60;
  pstate().ram[0x5f5c] = 40;
  key(80, true);
  std::vector<int> frames;
  for (int f = 0; f < 26; f++) {
    step_input(TOVO_INPUT_MENU);  // reads last while the menu is open
    if (button_pressed(0, 0)) frames.push_back(f);
  }
  // The read at the end of frame 0 sees the press; button_pressed then
  // fires at once, after 15 more frames and every 4 after that.
  EXPECT_EQ(frames, (std::vector<int>{0, 15, 19, 23}));
}

TEST_F(ButtonTest, BlockedButtonWaitsForRelease) {
  key(80, true);
  step_input(TOVO_INPUT_CART);
  ASSERT_EQ(button_state().pressed[0][0], 1);
  block_buttons();
  for (int f = 0; f < 40; f++) {
    step_input(TOVO_INPUT_CART);
    EXPECT_EQ(pstate().held[0][0], 0);
    EXPECT_EQ(button_state().pressed[0][0], 0);
  }
  key(80, false);
  step_input(TOVO_INPUT_CART);
  key(80, true);
  step_input(TOVO_INPUT_CART);
  EXPECT_EQ(button_state().pressed[0][0], 1);
}

// A key pressed and released between two reads (a host frame without a
// tick sees it) is held for the next read only: the O button and the pause
// key alike.
TEST_F(ButtonTest, KeyTappedBetweenReadsIsHeldForOneRead) {
  step_input(TOVO_INPUT_CART);
  for (int32_t code : {29, 19}) {  // z: O; p: pause
    key(code, true);
    latch_key_taps(TOVO_INPUT_CART);
    key(code, false);
    latch_key_taps(TOVO_INPUT_CART);
    step_input(TOVO_INPUT_CART);
    int b = code == 29 ? 4 : 6;
    EXPECT_EQ(pstate().held[0][b], 1) << code;
    EXPECT_EQ(button_state().pressed[0][b], 1) << code;
    step_input(TOVO_INPUT_CART);
    EXPECT_EQ(pstate().held[0][b], 0) << code;
  }
}

// Blocking swallows the presses under way, nothing more: a button that is
// up when the block comes (the pause key after "continue" was chosen with
// O) is free, so a tap of it that comes before the next read still counts.
TEST_F(ButtonTest, BlockLeavesButtonsThatAreUpFree) {
  key(29, true);  // z: O chooses "continue"
  step_input(TOVO_INPUT_CART);
  ASSERT_EQ(button_state().pressed[0][4], 1);
  block_buttons();
  key(29, false);
  key(19, true);  // p: tapped before the next read
  latch_key_taps(TOVO_INPUT_CART);
  key(19, false);
  latch_key_taps(TOVO_INPUT_CART);
  step_input(TOVO_INPUT_CART);
  EXPECT_EQ(pstate().held[0][6], 1);
  EXPECT_EQ(button_state().pressed[0][6], 1);
  EXPECT_EQ(pstate().held[0][4], 0);
  // The O key still held through a block stays swallowed until let go.
  key(29, true);
  step_input(TOVO_INPUT_CART);
  block_buttons();
  for (int f = 0; f < 5; f++) {
    step_input(TOVO_INPUT_CART);
    EXPECT_EQ(button_state().pressed[0][4], 0) << f;
  }
}

// While a cart runs its main loop the tick only reads: each frame of the
// cart decides on that read, so two frames in one tick (an _update60 cart
// at 30 frames a second) see one press, and a tapped key is held for the
// tick that read it.
TEST_F(ButtonTest, CartFramesDecideOnTheTicksRead) {
  key(29, true);  // z: O
  step_input(TOVO_INPUT_CART_FRAMES);
  EXPECT_EQ(pstate().held[0][4], 1);
  EXPECT_EQ(button_state().pressed[0][4], 0) << "the tick decides nothing";
  update_buttons();
  EXPECT_EQ(button_state().pressed[0][4], 1);
  update_buttons();  // the tick's second frame
  EXPECT_EQ(button_state().pressed[0][4], 0);
  EXPECT_EQ(pstate().held[0][4], 1);
  key(29, false);
  key(27, true);  // x: X, tapped between two ticks
  latch_key_taps(TOVO_INPUT_CART_FRAMES);
  key(27, false);
  step_input(TOVO_INPUT_CART_FRAMES);
  update_buttons();
  EXPECT_EQ(button_state().pressed[0][5], 1);
  EXPECT_EQ(pstate().held[0][4], 0);
  update_buttons();
  EXPECT_EQ(pstate().held[0][5], 1) << "held for the whole tick";
  EXPECT_EQ(button_state().pressed[0][5], 0);
  step_input(TOVO_INPUT_CART_FRAMES);
  update_buttons();
  EXPECT_EQ(pstate().held[0][5], 0);
  EXPECT_EQ(button_state().pressed[0][5], 0);
}

TEST_F(ButtonTest, MenuCallbackKeepsDirectionsUnblocked) {
  button_config().menu_callback = 1;
  key(80, true);
  key(29, true);
  step_input(TOVO_INPUT_CART);
  block_buttons();
  step_input(TOVO_INPUT_CART);
  EXPECT_EQ(pstate().held[0][0], 1);
  EXPECT_EQ(pstate().held[0][4], 0);
}

TEST_F(ButtonTest, ButtonPressedOutsideRangeIsZero) {
  key(80, true);
  step_input(TOVO_INPUT_SHELL);  // the shell's road: the read comes last
  EXPECT_EQ(button_pressed(0, 0), 1);
  EXPECT_EQ(button_pressed(8, 0), 0);
  EXPECT_EQ(button_pressed(0, 8), 0);
  EXPECT_EQ(button_pressed(-1, 0), 0);
}

TEST_F(ButtonTest, RandomInputHoldsOnlyButtons0To5) {
  button_config().random_input = 1;
  int seen[TOVO_BUTTONS] = {};
  for (int i = 0; i < 64; i++) {
    read_buttons();
    for (int b = 0; b < TOVO_BUTTONS; b++) seen[b] += pstate().held[5][b];
  }
  for (int b = 0; b < 6; b++) EXPECT_GT(seen[b], 0);
  EXPECT_EQ(seen[6], 0);
  EXPECT_EQ(seen[7], 0);
}

TEST_F(ButtonTest, MouseSumsAreLatchedAndCleared) {
  tarq_state.wheel_x = 2;
  tarq_state.wheel_y = -1;
  tarq_state.rel_x = 7;
  tarq_state.rel_y = 9;
  read_buttons();
  EXPECT_EQ(button_state().wheel_x, 2);
  EXPECT_EQ(button_state().wheel_y, -1);
  EXPECT_EQ(button_state().rel_x, 7);
  EXPECT_EQ(button_state().rel_y, 9);
  EXPECT_EQ(tarq_state.wheel_x, 0);
  EXPECT_EQ(tarq_state.rel_y, 0);
}

}  // namespace
