#pragma once
// The extended-palette glitch: a short burst of wrong colours the first time
// since boot that a colour of the extended palette reaches the screen palette.
#include <cstdint>

// Engine milliseconds at which the glitch ends; 0 when none since boot.
int32_t tovo_extpal_glitch_end();
// Forgets the glitch, as at boot: the next extended colour starts it again.
void reset_extpal_glitch();

// Starts the glitch (end = now + 150 ms) unless one started since boot.
void activate_extpal_glitch();

struct tarq_bitmap;
// Draws the glitch at engine time `now` onto the top left 128x128 of an
// 8-bit bitmap (the back page, or a recorded frame); nothing on a smaller one.
void draw_extpal_glitch(tarq_bitmap* b, int32_t now);
