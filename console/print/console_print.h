#pragma once
// Console printing: coloured lines at the console text cursor (the print
// cursor of the machine state), 32 characters a line, 6-pixel lines,
// scrolling the screen when the cursor passes the bottom; standard output
// when the player runs headless with exec and no program runs, or was given
// an export target, and standard error as well as the screen while no
// program runs and the shell set run_state().echo_reports (a cart has been run
// in a window).
#include <cstdint>

struct tarq_pod;

constexpr int TOVO_CONSOLE_LINE_CHARS = 32;
constexpr int TOVO_CONSOLE_LINE_HEIGHT = 6;

// The font console lines are drawn with (the shell sets it; null draws no
// glyphs, the lines are still cleared and the cursor still moves). The
// built-in print font is made from its glyphs.
tarq_pod* tovo_console_font();
void tovo_set_console_font(tarq_pod* font);

void tovo_print_col(const char* msg, int32_t colour);
// Prints and appends msg and a newline to the error log.
void error_tovo_print_col(const char* msg, int32_t colour);
void tovo_print(const char* msg);  // colour 6
// printf with two integers (into a 4096-byte buffer), then print.
void tovo_print_2(const char* format, int32_t a, int32_t b);
void tovo_print_2_col(const char* format, int32_t a, int32_t b, int32_t colour);

// Moves the cursor down a line, scrolling the screen up 6 pixels (and
// charging for it) when it passes camera y + 122, unless a cart's program
// runs and TOVO_FEATURE_NO_SCROLL turns scrolling off.
void cursor_cr();

// The error log: every error line with a newline; empty when none.
const char* tovo_error_log();
void tovo_clear_error_log();
