// Stand-in for the run loop's find_tab_line; replaced by the console run loop.
#include "console/find_tab_line_standin.h"

namespace {
constexpr int MAX_TABS = 16;
int tab_line_counts[MAX_TABS];
int tab_count = 0;
}  // namespace

int find_tab_line_standin_calls = 0;

void find_tab_line_standin_set(const int* tab_lines, int count) {
  if (count < 0) count = 0;
  if (count > MAX_TABS) count = MAX_TABS;
  for (int i = 0; i < count; i++) tab_line_counts[i] = tab_lines[i];
  tab_count = count;
}

int find_tab_line(int line, int* tab) {
  find_tab_line_standin_calls++;
  if (tab != nullptr) *tab = 0;
  if (tab_count == 0) return line;
  line -= 2;  // the prelude
  for (int i = 0; i < tab_count; i++) {
    int n = tab_line_counts[i];
    if (n + 2 >= line) {
      if (tab != nullptr) *tab = i;
      return line;
    }
    line -= n + 2;
  }
  return 0;
}
