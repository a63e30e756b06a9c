#pragma once
// Lines of a program's text for error reports, and going to an error's line.
// Nothing in the player calls them: the reports do the same themselves.

// Line n (from 1) of a text with includes flattened, and of the text as it
// is; as get_nth_line_ex.
const char* get_nth_line(const char* text, int n);
const char* get_nth_line_raw(const char* text, int n);

// Selects the code tab of a line of the compiled program and puts the cursor
// of the tab's code text on that line; does nothing for a line outside the
// cart's code.
void navigate_to_error_line(int program_line);
