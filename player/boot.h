#pragma once
// The boot sequence: a short noise animation, the boot sound, the banner and
// start-up messages, then the data pod's head cart becomes the working cart,
// it and the further carts are mounted by name, and the game is run. Before it
// may stand a splash picture: the player ships none, so asking for one always
// answers that none is loaded and start-up plays the boot sequence; in mode
// splash any key or button restarts the boot.
#include <cstdint>

// Enters mode boot and resets the machine for a fresh boot (tick -15).
void boot_init();
// One boot step, keyed to the tick counter; called once per tick in mode boot.
void move_boot();
// Makes the pod's head cart the working cart, mounts the pod's carts (the head
// cart first) and asks for the run.
void boot_embedded_cart();
// Mounts the data pod's carts (the head cart first) by their names, so that
// a cart named on the command line or passed to load is found among them.
void mount_data_pod_carts();
// Loads the cart named on the command line (against the current folder) as
// the working cart: 0 when it loaded; else "could not load" on the console
// and the reason in the log and on standard error, and 1.
int32_t load_command_line_cart();
// Host frames per second since the first draw (drawn or not).
int32_t get_boot_fps();

// 1 when a splash picture was loaded; always 0 here.
int32_t load_splash_bmp();
// One tick in mode splash: any key down (caps lock aside) or any of buttons
// 0-6 of player 0 pressed this frame restarts the boot (boot_init).
void move_splash();
