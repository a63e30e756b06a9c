#pragma once
// Code tabs for tests of line mapping: tabs of given line counts (each tab
// holds that many newlines), and clearing them.
#include <initializer_list>
#include <string>

#include "console/run/code_tabs.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"

namespace tovo_test {

inline void set_tab_lines(std::initializer_list<int> newlines) {
  clear_code_tabs();
  int i = 0;
  for (int n : newlines) {
    if (i >= TOVO_CODE_TABS) break;
    std::string text(static_cast<size_t>(n), '\n');
    std::snprintf(code_tab(i++), TOVO_CODE_SIZE, "%s", text.c_str());
  }
}

inline void clear_tabs() { set_tab_lines({}); }

}  // namespace tovo_test
