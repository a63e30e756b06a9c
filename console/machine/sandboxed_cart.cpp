// Every cart file is sandboxed.
#include "console/machine/sandboxed_cart.h"

int is_sandboxed_cart_file(const char*) { return 1; }
