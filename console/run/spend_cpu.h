#pragma once
// The charge that bindings make for their work: spend_cpu (declared with the
// script runtime's console services) charges max(n, 1) * 2 cycles to the
// spend counter of the frame and to the interpreter's slice counter.
#include "script/console_services.h"

// The same without doubling.
void spend_cpu_8MHz(int n);
