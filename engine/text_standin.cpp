// Stand-in for bitmap-font text: no fonts are loaded yet.
#include "engine/text.h"

int tarq_text_init() { return 0; }
int tarq_text_exit() { return 0; }
