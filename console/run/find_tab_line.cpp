#include "console/run/code_tabs.h"

#include "console/run/run_state.h"

int find_tab_line(int line, int* tab) {
  line -= 2;
  for (int i = 0; i < TOVO_CODE_TABS; i++) {
    int n = 0;
    for (const char* c = code_tab[i]; *c; c++) n += *c == '\n';
    if (n + 2 >= line) {
      if (tab) *tab = i;
      return line;
    }
    line -= n + 2;
  }
  if (tab) *tab = 0;
  return 0;
}
