#include "player/machine_mode_standin.h"

tovo_machine_mode_standin mode_standin;

bool tovo_cart_is_running_standin() { return mode_standin.mode == TOVO_MODE_RUNNING && mode_standin.cart_started; }
