#pragma once
// The extended-palette glitch: a short burst of wrong colours the first time
// since boot that a colour of the extended palette reaches the screen palette.
#include <cstdint>

// Engine milliseconds at which the glitch ends; 0 when none since boot.
extern int32_t tovo_extpal_glitch_end;

// Starts the glitch (end = now + 150 ms) unless one started since boot.
void activate_extpal_glitch();
