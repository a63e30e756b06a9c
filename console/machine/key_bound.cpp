// Whether a key drives one of player 0's buttons.
#include "console/machine/key_bound.h"

#include "console/machine/button.h"
#include "console/machine/machine.h"

bool is_key_bound(int32_t code) {
  for (int i = 1; i <= 6; i++)
    if (button_config().keys[i] == code) return true;
  return false;
}
