#pragma once
// The cart's code as 16 code tabs: split from the working cart's code text at
// each "\n-->8\n", joined back with it, and the mapping of a program line to
// a line within a tab.

struct tovo_cart;

constexpr char TOVO_TAB_SEPARATOR[] = "\n-->8\n";

// Joins the tabs into the cart's code: tab 0 to the last tab that is not
// empty (or the selected tab when that is later), the separator after every
// tab before the last.
void merge_code_from_tabs(tovo_cart* cart);
// Empties every tab.
void clear_code_tabs();
// Clears the tabs and cuts the cart's code into them; after the 15th cut the
// rest, separators included, goes to tab 15.
void split_code_to_tabs(const tovo_cart* cart);
// The number of visible tabs: the last tab that is not empty or is
// selected, plus one.
int visible_code_tabs();

// Maps a line of the whole compiled program (from 1) to the line within its
// code tab, and through tab (when not null) the tab index; the interpreter
// reaches it as its host's service. The two prelude lines come first; each
// tab then counts its lines plus 2 (the separator line after a tab counts as
// that tab's last line + 1). Past the last tab: line 0 in tab 0.
int find_tab_line(int line, int* tab);

// The line within its code tab (from 1) of a program line that stands in the
// cart's own code, with the tab through tab (when not null); 0 for a line of
// the prelude, of a separator between tabs, of the epilogue or past the
// visible tabs.
int find_cart_line(int program_line, int* tab);

// Copies the shell's punycode-encoding setting into the keep-capitals
// setting of each code tab's code text record (those the shell holds); the
// shell calls it once per update.
void update_punycode_encoding();

// Selects a code tab and puts the cursor of its code text at the start of
// line (from 1; clamped to the text's lines), scrolled into view. Error
// reports call it for the line they name.
void select_code_tab_line(int tab, int line);
