// Stand-in for the GUI elements: there are none, so the pass has nothing to do.
#include "engine/gui.h"

int tarq_gui_init() { return 0; }
int tarq_gui_exit() { return 0; }
int tarq_process_gui() { return 0; }
