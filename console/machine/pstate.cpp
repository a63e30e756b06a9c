// The machine state and the working-cart list.
#include "console/machine/pstate.h"

tovo_machine_state pstate;
tovo_cart* pitem[TOVO_MAX_PITEMS];
int32_t pitems;
