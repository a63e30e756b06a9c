#pragma once
// Stand-in for the print engine and the console lines until they exist: the
// print context reset does nothing, and console lines are kept (the last one)
// so that callers can be checked.
#include <cstdint>

constexpr int TOVO_STANDIN_PRINT_SIZE = 256;

// The text of the last console line printed.
extern char tovo_standin_last_print[TOVO_STANDIN_PRINT_SIZE];
extern int32_t tovo_standin_print_count;

// Re-reads the print attribute registers 0x5f58-0x5f5b.
void reset_print_context();

// A console line in colour 6.
void tovo_print(const char* text);
// printf with two integers, then a console line in colour 6.
void tovo_print_2(const char* format, int32_t a, int32_t b);
