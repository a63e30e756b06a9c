// The button reader and updater.
#include "console/machine/button.h"

#include "console/machine/machine_record.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/prng.h"
#include "engine/platform/events.h"
#include "engine/platform/joystick.h"
#include "engine/tarq.h"

namespace {

// With both bits set the mouse buttons hold X, O and pause.
constexpr int32_t MOUSE_BUTTONS = TOVO_MOUSE_KEYBOARD_ON | TOVO_MOUSE_KEYBOARD_BUTTONS;
constexpr int32_t MENU_DELAY = 16;
constexpr int32_t MENU_INTERVAL = 4;
constexpr int MAX_DEFAULTS = 5;
constexpr int32_t KEYBOARD_PLAYERS = 2;  // players 0 and 1 have keys

// Default scancodes of players 0 and 1, buttons 0-6 (0 ends a list).
constexpr int32_t DEFAULT_KEYS[KEYBOARD_PLAYERS][7][MAX_DEFAULTS] = {
    {{SDL_SCANCODE_LEFT, SDL_SCANCODE_KP_4},
     {SDL_SCANCODE_RIGHT, SDL_SCANCODE_KP_6},
     {SDL_SCANCODE_UP, SDL_SCANCODE_KP_8},
     {SDL_SCANCODE_DOWN, SDL_SCANCODE_KP_5},
     {SDL_SCANCODE_Z, SDL_SCANCODE_C, SDL_SCANCODE_N, SDL_SCANCODE_KP_1, SDL_SCANCODE_INSERT},
     {SDL_SCANCODE_X, SDL_SCANCODE_V, SDL_SCANCODE_KP_2, SDL_SCANCODE_DELETE},
     {SDL_SCANCODE_P, SDL_SCANCODE_RETURN}},
    {{SDL_SCANCODE_S},
     {SDL_SCANCODE_F},
     {SDL_SCANCODE_E},
     {SDL_SCANCODE_D},
     {SDL_SCANCODE_LSHIFT, SDL_SCANCODE_TAB, SDL_SCANCODE_W},
     {SDL_SCANCODE_A, SDL_SCANCODE_Q},
     {}},
};

bool key_down(int32_t code) { return tarq_get_key_state(code) != 0; }

// The key-table entry of a button of player 0 or 1, 0 when none applies.
int32_t table_entry(int32_t b, int32_t p) {
  if (b == 6) return p == 0 ? button_config().keys[13] : 0;
  if (b > 5) return 0;
  return button_config().keys[1 + p * 6 + b];
}

bool menu_open() { return button_state().mode == TOVO_INPUT_MENU; }

// Escape is a pause key only while a cart runs with the menu closed.
bool escape_pauses(int32_t mode) { return mode == TOVO_INPUT_CART || mode == TOVO_INPUT_CART_FRAMES; }

bool keyboard_holds(int32_t b, int32_t p, int32_t mode) {
  if (p >= KEYBOARD_PLAYERS || b > 6) return false;
  int32_t bound = table_entry(b, p);
  if (bound != 0) return key_down(bound);
  for (int32_t code : DEFAULT_KEYS[p][b])
    if (code != 0 && key_down(code)) return true;
  if (p == 0 && b == 5 && key_down(SDL_SCANCODE_M) && !key_down(TARQ_KEY_CTRL)) return true;
  if (p == 0 && b == 6 && escape_pauses(mode) && key_down(SDL_SCANCODE_ESCAPE)) return true;
  return false;
}

bool mouse_holds(int32_t b, int32_t p) {
  if (p != 0 || (pstate().ram[TOVO_REG_MOUSE_KEYBOARD] & MOUSE_BUTTONS) != MOUSE_BUTTONS) return false;
  int32_t x = 0, y = 0, mb = 0;
  tarq_get_mouse(&x, &y, &mb);
  switch (b) {
    case 4: return (mb & 2) != 0;  // right
    case 5: return (mb & 1) != 0;  // left
    case 6: return (mb & 4) != 0;  // middle
    default: return false;
  }
}

int32_t new_press_count() { return menu_open() ? MENU_DELAY : tovo_button_repeat_delay() + 1; }

}  // namespace

int32_t tovo_button_update_rate() {
  int32_t f = run_state().target_fps;
  if (f <= 0 || tarq_state.paused || menu_open()) return 30;
  return f;
}

int32_t tovo_button_repeat_delay() {
  if (menu_open()) return MENU_DELAY - 1;
  int32_t d = pstate().ram[TOVO_REG_REPEAT_DELAY];
  if (d == 0) d = 15;
  return d * tovo_button_update_rate() / 30;
}

int32_t tovo_button_repeat_interval() {
  if (menu_open()) return MENU_INTERVAL;
  int32_t r = pstate().ram[TOVO_REG_REPEAT_INTERVAL];
  if (r == 0) r = 4;
  return r * tovo_button_update_rate() / 30;
}

int32_t tovo_controller_value(int32_t b, int32_t x, int32_t y, int32_t mask) {
  if (b < 4) {
    int64_t dist = static_cast<int64_t>(x / 2) * x + static_cast<int64_t>(y / 2) * y;
    if (dist < 0x8000001) {
      static const int32_t pad[4] = {0x2000, 0x4000, 0x800, 0x1000};
      return (mask & pad[b]) ? 255 : 0;
    }
    int32_t v = b == 0 ? -x / 128 : b == 1 ? x / 128 : b == 2 ? -y / 128 : y / 128;
    return v < 0 ? 0 : v > 255 ? 255 : v;
  }
  if (b == 4) return (mask & 9) ? 255 : 0;
  if (b == 5) return (mask & 6) ? 255 : 0;
  if (b == 6) return (mask & 0x40) ? 255 : 0;
  return 0;
}

namespace {

// A player's controller as read once: the buttons of one read all come from
// the same reading, taken when the first of them is asked for.
struct controller_reading {
  bool taken = false;
  bool present = false;  // the player has a controller index
  int32_t x = 0, y = 0, mask = 0;
};

int32_t controller_button(controller_reading& r, int32_t b, int32_t p) {
  if (!r.taken) {
    r.taken = true;
    const int32_t n = p - button_config().first_controller;
    r.present = n >= 0 && n < TARQ_MAX_JOYSTICKS;
    if (r.present) tarq_get_joystick(n, &r.x, &r.y, &r.mask);
  }
  return r.present ? tovo_controller_value(b, r.x, r.y, r.mask) : 0;
}

}  // namespace

int32_t player_button(int32_t b, int32_t p) {
  if (p < 0 || p >= TOVO_PLAYERS || b < 0 || b >= TOVO_BUTTONS) return 0;
  controller_reading r;
  return controller_button(r, b, p);
}

namespace {

// player_key, where keys_down tells whether any key is down at all (none
// down: no key holds a button).
int32_t key_or_mouse(int32_t b, int32_t p, bool keys_down) {
  if (p < 0 || p >= TOVO_PLAYERS || b < 0 || b >= TOVO_BUTTONS) return 0;
  if (keys_down && p < KEYBOARD_PLAYERS && keyboard_holds(b, p, button_state().mode)) return 1;
  int32_t forced = button_state().forced[p];
  if (forced != -1 && (forced >> b & 1)) return 1;
  return mouse_holds(b, p) ? 1 : 0;
}

}  // namespace

int32_t player_key(int32_t b, int32_t p) { return key_or_mouse(b, p, true); }

void latch_key_taps(tovo_input_mode mode) {
  for (int p = 0; p < 2; p++)
    for (int b = 0; b < TOVO_BUTTONS; b++)
      if (keyboard_holds(b, p, mode)) button_state().tapped[p] |= 1 << b;
}

void step_input(tovo_input_mode mode) {
  button_state().mode = mode;
  switch (mode) {
    case TOVO_INPUT_CART:
      read_buttons();
      update_buttons();
      break;
    case TOVO_INPUT_CART_FRAMES: read_buttons(); break;
    default:
      // button_pressed compares this read with the held states that the
      // update has just made the previous ones.
      update_buttons();
      read_buttons();
      break;
  }
}

void read_buttons() {
  int32_t tapped[TOVO_PLAYERS];
  for (int p = 0; p < TOVO_PLAYERS; p++) {
    tapped[p] = button_state().tapped[p];
    button_state().tapped[p] = 0;
  }
  for (auto& row : pstate().held)
    for (int32_t& h : row) h = 0;
  if (button_config().random_input > 0) {
    for (auto& row : pstate().held)
      for (int b = 0; b < 6; b++) row[b] = tarq_random(2);
    return;
  }
  const bool keys_down = tarq_any_key_entry();
  for (int p = 0; p < TOVO_PLAYERS; p++) {
    controller_reading pad;
    for (int b = 0; b < TOVO_BUTTONS; b++) {
      bool held = key_or_mouse(b, p, keys_down) || (tapped[p] >> b & 1) || controller_button(pad, b, p) > 128;
      if (!held) {
        button_state().blocked[p][b] = 0;
      } else if (!button_state().blocked[p][b]) {
        pstate().held[p][b] = 1;
        if (!button_state().previous[p][b]) button_state().counter[p][b] = new_press_count();
      }
    }
  }
  button_state().wheel_x = tarq_state.wheel_x;
  button_state().wheel_y = tarq_state.wheel_y;
  button_state().rel_x = tarq_state.rel_x;
  button_state().rel_y = tarq_state.rel_y;
  tarq_state.wheel_x = tarq_state.wheel_y = 0;
  tarq_state.rel_x = tarq_state.rel_y = 0;
}

void update_buttons() {
  for (int p = 0; p < TOVO_PLAYERS; p++) {
    for (int b = 0; b < TOVO_BUTTONS; b++) {
      int32_t held = pstate().held[p][b];
      button_state().pressed[p][b] = held && !button_state().blocked[p][b] &&
                                     (!button_state().previous[p][b] || button_state().counter[p][b] == 1);
      button_state().previous[p][b] = held;
    }
  }
  if (pstate().ram[TOVO_REG_REPEAT_DELAY] != 255) {
    int32_t interval = tovo_button_repeat_interval();
    for (auto& row : button_state().counter)
      for (int32_t& c : row)
        if (c > 0 && --c == 0) c = interval;
  }
}

void block_buttons() {
  int first = button_config().menu_callback ? 2 : 0;
  int32_t count = new_press_count();
  for (int p = 0; p < TOVO_PLAYERS; p++) {
    for (int b = first; b < TOVO_BUTTONS; b++) {
      // Only a press under way is swallowed: a button that is up now is
      // free, and a tap of it before the next read is a press of its own.
      bool down = pstate().held[p][b] || player_key(b, p) || player_button(b, p) > 128;
      button_state().blocked[p][b] = down ? 1 : 0;
      pstate().held[p][b] = 0;
      button_state().counter[p][b] = count;
    }
  }
}

int32_t button_pressed(int32_t b, int32_t p) {
  if (b < 0 || b > 7 || p < 0 || p > 7) return 0;
  if (!button_state().previous[p][b]) return pstate().held[p][b];
  return button_state().counter[p][b] == 1 ? pstate().held[p][b] : 0;
}
