#pragma once
// The splash picture that may stand before the boot sequence. The player
// ships none: asking for one always answers that none is loaded, so start-up
// plays the boot sequence. In mode splash any key or button restarts the boot.
#include <cstdint>

// 1 when a splash picture was loaded; always 0 here.
int32_t load_splash_bmp();
// One tick in mode splash: any key down (caps lock aside) or any of buttons
// 0-6 of player 0 pressed this frame restarts the boot (boot_init).
void move_splash();
