// What the controller slots hold: a raw joystick's button count, and a
// listing of the used slots on standard output.
#include "engine/platform/joystick_report.h"

#include <SDL.h>

#include <cstdio>

#include "engine/platform/joystick.h"

int32_t tarq_count_joystick_buttons(int32_t n) {
  if (n < 0 || n >= TARQ_MAX_JOYSTICKS || !tarq_joysticks.metacon[n].joystick) return 0;
  return SDL_JoystickNumButtons(tarq_joysticks.metacon[n].joystick);
}

void debug_metacon_state() {
  printf(":: controllers:");
  for (int32_t i = 0; i < TARQ_MAX_JOYSTICKS; i++)
    if (tarq_joysticks.metacon[i].controller || tarq_joysticks.metacon[i].joystick)
      printf(" %d: %s\n", i, tarq_joysticks.metacon[i].controller ? "controller" : "joystick");
  fflush(stdout);
}
