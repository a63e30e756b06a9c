// Whether a text waits in the print context.
#include "console/print/print_pending.h"

#include "console/machine/machine_record.h"
#include "console/print/print_context.h"

int print_text_pending() { return print_context().text != nullptr; }
