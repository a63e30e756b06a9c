#include "player/code_tabs_standin.h"

int32_t tovo_standin_tab_splits = 0;
int32_t tovo_standin_tab_merges = 0;

void tovo_split_code_into_tabs_standin(tovo_cart*) { tovo_standin_tab_splits++; }
void tovo_merge_code_tabs_standin(tovo_cart*) { tovo_standin_tab_merges++; }
void tovo_reset_editor_for_new_cart_standin() {}
