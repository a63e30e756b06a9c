// The press of a button that only a controller may give.
#include "console/machine/button_nok.h"

#include "console/machine/button.h"

int32_t button_pressed_nok(int32_t b, int32_t p) {
  if (player_button(b, p) <= 128) return 0;
  return button_pressed(b, p);
}
