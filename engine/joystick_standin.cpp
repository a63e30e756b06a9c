// Stand-in for game controllers: none are opened yet.
#include "engine/joystick.h"

int tarq_joystick_init() { return 0; }
int tarq_joystick_exit() { return 0; }
