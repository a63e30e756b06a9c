#include "console/run/code_tabs.h"

#include <cstdio>

#include "console/print/console_print.h"
#include "console/run/include.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "engine/data/ctext_cursor.h"

namespace {

// A position past the end of any code text: counting up to it counts every newline.
constexpr int32_t WHOLE_TEXT = 0x100000;
// Pixels between the top of a code view and the line an error report shows.
constexpr int32_t ERROR_LINE_MARGIN = 52;
constexpr int32_t INCLUDE_NOTE_COLOUR = 9;

int tab_newlines(int tab) {
  return ctext_get_line_number_for_pos(reinterpret_cast<const uint8_t*>(code_tab(tab)), WHOLE_TEXT);
}

// A line of flattened code back to its line in the tab: a line inside an
// included text is named with the file and its line there, and counts as the
// include line; each included text before the line takes its extra lines away.
int unflatten_line(int line) {
  int extra = 0;
  for (int i = 0; i < last_included_files(); i++) {
    const int32_t first = included_start(i), last = included_end(i);
    if (line >= first && line <= last) {
      char note[TOVO_INCLUDE_NAME_SIZE + 32];
      std::snprintf(note, sizeof note, "%s line %d", included_name(i), line - first + 1);
      tovo_print_col(note, INCLUDE_NOTE_COLOUR);
      return first - extra;
    }
    if (last < line) extra += last - first;
  }
  return line - extra;
}

}  // namespace

int find_tab_line(int line, int* tab) {
  line -= 2;
  for (int i = 0; i < TOVO_CODE_TABS; i++) {
    int n = tab_newlines(i);
    if (n + 2 >= line) {
      if (tab) *tab = i;
      return unflatten_line(line);
    }
    line -= n + 2;
  }
  if (tab) *tab = 0;
  return 0;
}

int find_cart_line(int program_line, int* tab) {
  int in_tab = 0;
  int line = find_tab_line(program_line, &in_tab);
  if (tab) *tab = in_tab;
  if (line < 1 || in_tab >= visible_code_tabs() || line > tab_newlines(in_tab) + 1) return 0;
  return line;
}

void select_code_tab_line(int tab, int line) {
  if (tab < 0 || tab >= TOVO_CODE_TABS) return;
  code_tab_selected() = tab;
  tarq_ctext* record = tovo_shell().code_tab_record(tab);
  if (!record || !record->text) return;
  int last = ctext_get_line_number_for_pos(record->text, WHOLE_TEXT);
  int target = line - 1 < 0 ? 0 : line - 1 > last ? last : line - 1;
  int32_t pos = ctext_get_pos_for_line_number(record->text, target);
  record->cursor = pos;
  record->select_start = pos;
  record->select_end = pos;
  ctext_bound_scrolling_to_cursor(record, ERROR_LINE_MARGIN);
}
