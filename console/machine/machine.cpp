// The machine record and the functions that reach its parts.
#include "console/machine/machine.h"

namespace {
tovo_machine machine;
}  // namespace

tovo_machine& tovo_machine_record() { return machine; }

tovo_machine_state& pstate() { return machine.pstate; }
tovo_cart*& pitem(int32_t i) { return machine.pitem[i]; }
int32_t& pitems() { return machine.pitems; }
tovo_button_state& button_state() { return machine.button_state; }
tovo_button_config& button_config() { return machine.button_config; }
tovo_print_context& print_context() { return machine.print_context; }
int32_t& print_widest_x() { return machine.print_widest_x; }
tovo_stat_inputs& stat_inputs() { return machine.stat_inputs; }
