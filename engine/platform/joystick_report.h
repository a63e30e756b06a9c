#pragma once
// What the controller slots hold: the buttons of a raw joystick in slot n
// (0 for an empty or out-of-range slot), and a listing of the used slots on
// standard output. The player asks neither.
#include <cstdint>

int32_t tarq_count_joystick_buttons(int32_t n);
void debug_metacon_state();
