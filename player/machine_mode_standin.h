#pragma once
// Stand-in for the frame loop's machine modes until the frame loop exists:
// the fields that cart storage reads, set by hand.
#include <cstdint>

#include "engine/path.h"

enum { TOVO_MODE_STOPPED = 0, TOVO_MODE_RUNNING = 1, TOVO_MODE_BOOT = 2, TOVO_MODE_SPLASH = 3 };

struct tovo_machine_mode_standin {
  int32_t mode;                       // TOVO_MODE_*
  int32_t cart_started;               // 1 once a cart was started
  int32_t immediate;                  // the immediate (prompt) sub-mode
  char param_string[TARQ_PATH_MAX];   // the parameter string of the run chain
};

extern tovo_machine_mode_standin mode_standin;

// True while the machine runs a started cart.
bool tovo_cart_is_running_standin();
