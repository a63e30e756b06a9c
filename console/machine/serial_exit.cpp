// The serial channels' step at the end of a run.
#include "console/machine/serial_exit.h"

void serial_exit_runtime() {}
