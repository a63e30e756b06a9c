// The serial channels' step at the end of a run.
#include "console/extra/serial_exit.h"

void serial_exit_runtime() {}
