#pragma once
// The key configuration screen: the 13 keyboard keys of the two keyboard
// players (left, right, up, down, O and X of each, then pause) are asked for
// one after the other. It runs as a pause page (pause state 2) or as a
// sub-mode of the stopped machine (sub-mode 1).
#include <cstdint>

#include "player/shell_state.h"

struct tarq_bitmap;

struct tovo_keyconfig_state {
  int32_t backup[TOVO_BUTTON_KEYS];  // the keys when the screen opened
  int32_t key_index;                 // the key being asked for, 13 when done
  int32_t ready;                     // every key released since the last binding
};

extern tovo_keyconfig_state keyconfig;

constexpr int32_t TOVO_KEYCONFIG_DONE = TOVO_BUTTON_KEYS;

void keyconfig_init();
// keyconfig(): the screen opened as sub-mode 1, the buttons blocked, and the
// screen drawn at once on screen page 0.
void keyconfig_open();
// Once a tick while the screen is open: binds the next key held down.
void keyconfig_update();
// A typed key code while the screen is a sub-mode: Escape leaves (restoring
// the old keys when not all were bound); after the last binding any key leaves.
void keyconfig_keypress(int32_t code);
// Leaving the pause page: restores the old keys unless all were bound.
void keyconfig_close();
void keyconfig_draw(tarq_bitmap* b);
