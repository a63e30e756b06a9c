// Application hooks that do nothing, for test programs that never run the
// main loop but link code that names the hooks.
#include "engine/services.h"

int tarq_main_init(int, char**) { return 0; }
int tarq_main_update() { return 0; }
int tarq_main_draw() { return 0; }
int tarq_main_exit() { return 0; }
