// Stand-in print context and console lines.
#include "console/print_standin.h"

#include <cstdio>

char tovo_standin_last_print[TOVO_STANDIN_PRINT_SIZE];
int32_t tovo_standin_print_count;

void reset_print_context() {}

void tovo_print(const char* text) {
  snprintf(tovo_standin_last_print, sizeof tovo_standin_last_print, "%s", text);
  tovo_standin_print_count++;
}

void tovo_print_2(const char* format, int32_t a, int32_t b) {
  char line[TOVO_STANDIN_PRINT_SIZE];
  snprintf(line, sizeof line, format, a, b);
  tovo_print(line);
}
