// The press of a button that only a controller may give, and whether a key
// drives one of player 0's buttons.
#include "console/machine/button_queries.h"

#include "console/machine/button.h"
#include "console/machine/machine_record.h"

int32_t button_pressed_nok(int32_t b, int32_t p) {
  if (player_button(b, p) <= 128) return 0;
  return button_pressed(b, p);
}

// Whether a key drives one of player 0's buttons.
bool is_key_bound(int32_t code) {
  for (int i = 1; i <= 6; i++)
    if (button_config().keys[i] == code) return true;
  return false;
}
