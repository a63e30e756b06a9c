#pragma once
// Stand-in for the run loop's line-to-tab mapping until the console run loop
// exists: the compiler names lines in its messages through it.

// Maps a line of the whole compiled program (counted from 1) to the line
// within its code tab and, through tab when not null, the tab index 0-15.
// With no tabs set (the default) every line maps to itself in tab 0.
int find_tab_line(int line, int* tab);

// Sets the line counts of the code tabs (at most 16). Lines then map as the
// console's program text lays them out: 2 prelude lines, then each tab
// followed by 2 more lines; a line past the last tab gives 0 and tab 0.
// count 0 goes back to the default.
void find_tab_line_standin_set(const int* tab_lines, int count);

// Calls of find_tab_line so far.
extern int find_tab_line_standin_calls;
