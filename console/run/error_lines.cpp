// Program lines for error reports.
#include "console/run/error_lines.h"

#include "console/run/code_tabs.h"
#include "console/run/errors.h"

const char* get_nth_line(const char* text, int n) { return get_nth_line_ex(text, n, 1); }

const char* get_nth_line_raw(const char* text, int n) { return get_nth_line_ex(text, n, 0); }

void navigate_to_error_line(int program_line) {
  int tab = 0;
  int line = find_cart_line(program_line, &tab);
  if (line > 0) select_code_tab_line(tab, line);
}
