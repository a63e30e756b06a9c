#pragma once
// Measures of console text.
#include <cstdint>

// The width of a text in 4-pixel units: 1 for each character, 2 for each
// glyph (code 128 and up); 0 for null.
int32_t visual_strlen(const char* text);
// True for the codes a text entry takes: those above 15.
bool is_input_char(int32_t code);
