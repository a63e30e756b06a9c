// The machine record and the functions that reach its parts.
#include "console/machine/machine.h"

namespace {
tovo_machine machine;
}  // namespace

tovo_machine_state& pstate() { return machine.pstate; }
tovo_cart*& pitem(int32_t i) { return machine.pitem[i]; }
int32_t& pitems() { return machine.pitems; }
