#pragma once
// The frame loop: once per host frame the update (pending actions, frame
// steps and console ticks in the machine's mode) and the draw (the machine's
// screen through the palettes into the back page, with the stopped bar, the
// spinner, the glitch, the tv frame and extra displays).
#include <cstdint>

void tovo_frame_update();
void tovo_frame_draw();
// One console tick with the engine running and no pause page open.
void tovo_tick();
// Carries out the pending action (1 run .. 6 fresh script machine).
void tovo_do_pending_action();
// Restarts the machine: new carts and code tabs, then the boot sequence.
void reboot_machine();
// One tick of the reset glitch; starting it is setting pstate().reset_counter to 1.
void update_reset_glitch();
// Shows a controller plugged in or pulled out ("joystick %d connected" or
// "disconnected", by player index) for 1400 ms and clears the engine's
// reports; during the boot the reports are dropped.
void serve_joystick_reports();
