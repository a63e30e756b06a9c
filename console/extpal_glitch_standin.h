#pragma once
// Stand-in for the shell's extended-palette glitch until the screen
// conversion exists: only its start is needed by the screen-palette register.
#include <cstdint>

// Engine milliseconds at which the glitch ends; 0 when none since boot.
extern int32_t tovo_extpal_glitch_end;

// Starts the glitch (end = now + 150 ms) unless one started since boot.
void activate_extpal_glitch();
