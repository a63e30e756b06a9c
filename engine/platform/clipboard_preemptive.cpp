// The preemptive clipboard, which this platform does not have.
#include "engine/platform/clipboard_preemptive.h"

int tarq_set_clipboard_text_preemptive() { return 0; }
