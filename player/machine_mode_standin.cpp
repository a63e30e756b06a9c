#include "player/machine_mode_standin.h"

tovo_machine_mode_standin machine_mode;

bool tovo_cart_is_running() { return machine_mode.mode == TOVO_MODE_RUNNING && machine_mode.cart_started; }
