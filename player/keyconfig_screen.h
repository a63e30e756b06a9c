#pragma once
// The key configuration screen: the 13 keyboard keys of the two keyboard
// players bound one after the other (sub-mode 1 of the stopped machine).
#include <cstdint>

#include "player/shell_state.h"

struct tovo_keyconfig_state {
  int32_t backup[TOVO_BUTTON_KEYS];  // the key slots when the screen opened
  int32_t key_index;                 // the slot being asked for; 13 when done
  int32_t ready;                     // all keys released since the last binding
};

extern tovo_keyconfig_state keyconfig;

// Opens the screen: the slots backed up, the first slot asked for.
void keyconfig_init();
