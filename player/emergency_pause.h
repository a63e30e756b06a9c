#pragma once
// Opening the pause menu when a cart never reads its pause button: the menu
// opens once player 0's pause button has been held for more than 5 ticks and
// more than 500 ms.
#include <cstdint>

constexpr int32_t TOVO_EMERGENCY_TICKS = 5;
constexpr int32_t TOVO_EMERGENCY_MS = 500;

struct tovo_emergency_pause {
  int32_t held_ticks;  // consecutive ticks the pause button was held
  int32_t held_since;  // engine ms of the first of them
};

extern tovo_emergency_pause emergency_pause;

// Once per tick, after the buttons were read.
void update_emergency_paused_menu();
