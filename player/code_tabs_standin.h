#pragma once
// Stand-in for the program text's code tabs and the editor state until the
// run loop's program text exists: the code stays one text, and the calls
// are counted so that the loading road can be checked.
#include <cstdint>

struct tovo_cart;

// Splits the cart's code into the 16 code tabs.
void tovo_split_code_into_tabs_standin(tovo_cart* cart);
// Merges the code tabs back into the cart's code.
void tovo_merge_code_tabs_standin(tovo_cart* cart);
// Resets the editor state, clears the code tabs' undo stacks and updates
// the window title for a newly loaded cart.
void tovo_reset_editor_for_new_cart_standin();

extern int32_t tovo_standin_tab_splits;
extern int32_t tovo_standin_tab_merges;
