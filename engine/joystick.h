#pragma once
// Game controllers.

int tarq_joystick_init();
int tarq_joystick_exit();
