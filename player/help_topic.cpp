// The help printer: a topic, or the word at the code tab's cursor.
#include "player/help_topic.h"

#include <cstdio>
#include <cstring>

#include "console/print/console_print.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/ctext.h"
#include "player/shell_state.h"

namespace {

bool word_char(uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; }

// The word around the cursor of the current code tab into out (64 bytes).
void word_at_cursor(char* out) {
  out[0] = 0;
  if (code_tab_selected() < 0 || code_tab_selected() >= 16) return;
  const tarq_ctext* tab = shell.tabs[code_tab_selected()];
  if (!tab || !tab->text) return;
  int32_t length = (int32_t)std::strlen((const char*)tab->text);
  int32_t at = tab->cursor < 0 ? 0 : tab->cursor > length ? length : tab->cursor;
  int32_t start = at, end = at;
  while (start > 0 && word_char(tab->text[start - 1])) start--;
  while (end < length && word_char(tab->text[end])) end++;
  std::snprintf(out, 64, "%.*s", (int)(end - start), (const char*)tab->text + start);
}

}  // namespace

void print_help_topic(const char* topic) {
  char word[64];
  if (!topic) {
    word_at_cursor(word);
    topic = word;
  }
  char line[96];
  std::snprintf(line, sizeof line, "help topic: %s", topic);
  tovo_print_col(line, 6);
  tovo_print_col("blah", 6);
}
