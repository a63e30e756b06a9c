#pragma once
// Buttons: 8 players with 8 buttons each (0 left, 1 right, 2 up, 3 down,
// 4 O, 5 X, 6 pause, 7 unmapped). The reader turns the host keyboard, mouse
// and game controllers into held states (pstate().held); the updater turns
// held states into pressed flags with auto-repeat. The run loop takes one
// input step per console tick, which reads the buttons once and says who
// turns them into presses.
#include <cstdint>

#include "console/machine/pstate.h"

constexpr int TOVO_KEY_TABLE_SIZE = 13;

// Who turns a console tick's held buttons into presses; the run loop names
// it at every tick.
enum tovo_input_mode : int32_t {
  // No cart runs (boot, the stopped screen): the shell asks button_pressed
  // after the tick's read, which comes last.
  TOVO_INPUT_SHELL = 0,
  // A pause page is open over the cart: as the shell, with the menu's fixed
  // repeat timing.
  TOVO_INPUT_MENU = 1,
  // A cart runs and the tick decides its presses: read first, then update
  // (a cart without a main loop, a download that holds it).
  TOVO_INPUT_CART = 2,
  // A cart runs its main loop: the tick only reads, and each frame of the
  // cart decides its presses (update_buttons from its epilogue).
  TOVO_INPUT_CART_FRAMES = 3,
};

struct tovo_button_state {
  int32_t previous[TOVO_PLAYERS][TOVO_BUTTONS];  // held when the updater last ran
  int32_t blocked[TOVO_PLAYERS][TOVO_BUTTONS];   // 1 until the button is seen released
  int32_t pressed[TOVO_PLAYERS][TOVO_BUTTONS];   // the btnp flag of this frame
  int32_t counter[TOVO_PLAYERS][TOVO_BUTTONS];   // repeat counter, in frames
  int32_t forced[TOVO_PLAYERS];                  // buttons forced held (bit b); -1 none
  int32_t tapped[TOVO_PLAYERS];                  // keys seen down since the last read (bit b)
  int32_t mode;                                  // the tovo_input_mode of the last input step
  // Mouse sums latched from the engine by the last read (machine queries).
  int32_t wheel_x, wheel_y;
  int32_t rel_x, rel_y;
};

// What the shell tells the buttons about itself.
struct tovo_button_config {
  // SDL scancodes, 0 the default key: entries 1-6 player 0 buttons 0-5,
  // 7-12 player 1 buttons 0-5, 13 the pause button (entry 0 unused).
  int32_t keys[TOVO_KEY_TABLE_SIZE + 1];
  int32_t first_controller;  // player p reads controller p - first_controller
  int32_t random_input;      // above 0: buttons 0-5 held at random
  int32_t menu_callback;     // a menu item took a press (cleared every run slice)
};

// Notes the buttons whose keys are down in this host frame, so that a key
// tapped between two reads still counts as held by the next read. Called
// once per host frame, whether or not the frame has a tick; the mode is the
// one the frame's ticks will have (Escape is a pause key only while a cart
// runs).
void latch_key_taps(tovo_input_mode mode);
// One console tick's input, taken by the run loop before anything of the
// tick looks at the buttons: reads them once and, unless the cart's frames
// decide, turns them into presses (the shell and the menu: update, then
// read; a cart: read, then update).
void step_input(tovo_input_mode mode);
// Fills pstate().held for this tick, taking the latched taps.
void read_buttons();
// Computes the pressed flags from the held states and steps the repeat
// counters. Reads nothing: the cart's epilogue calls it for each of its
// frames, on what the tick's input step read.
void update_buttons();
// Every held button counts as released until it is let go; a button that
// is up is left as it is.
void block_buttons();
// The press of a button for the menu and the shell (0 for b or p above 7).
int32_t button_pressed(int32_t b, int32_t p);
// The keyboard (with mouse buttons and forced mask) state of a button.
int32_t player_key(int32_t b, int32_t p);
// The controller state of a button, 0-255.
int32_t player_button(int32_t b, int32_t p);
// The controller rule alone: button b from stick (x, y) and button mask.
int32_t tovo_controller_value(int32_t b, int32_t x, int32_t y, int32_t mask);
// The frame rate that the repeat timing is scaled to: the cart's target
// rate, or 30 while the engine is paused, the menu is open or the rate is 0
// or less.
int32_t tovo_button_update_rate();
// Repeat delay and interval in frames at that rate (15 and 4 while the menu
// is open).
int32_t tovo_button_repeat_delay();
int32_t tovo_button_repeat_interval();
