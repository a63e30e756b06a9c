#pragma once
// The machine record: everything the console keeps of the machine it runs,
// in one place. console/machine owns it; every module reaches its parts
// through their functions (pstate(), pitem(), ...), declared beside their
// records' types.
#include <cstdint>

#include "console/machine/pstate.h"

struct tovo_machine {
  tovo_machine_state pstate;          // the machine state
  tovo_cart* pitem[TOVO_MAX_PITEMS];  // the working-cart list
  int32_t pitems;                     // its entries in use
};
