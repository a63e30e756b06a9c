#pragma once
// The console prompt's pieces that nothing in the player calls: scrolling the
// console text screen by n rows, measures of console text, and the prompt's
// screen and file hooks (each does nothing and hands its argument back).
#include <cstdint>

// Moves the console text up n rows, clearing the rows freed at the bottom;
// not while a running cart has turned scrolling off (TOVO_FEATURE_NO_SCROLL).
void scroll_immediate_mode_screen(int32_t n);

// The width of a text in 4-pixel units: 1 for each character, 2 for each
// glyph (code 128 and up); 0 for null.
int32_t visual_strlen(const char* text);
// True for the codes a text entry takes: those above 15.
bool is_input_char(int32_t code);

int32_t draw_splash_screen(int32_t arg);
int32_t draw_command_string(int32_t arg);
int32_t open_filesystem(int32_t arg);
int32_t do_file_test(int32_t arg);
