#include "engine/data/ctext_edit.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/data/ctext_position.h"
#include "engine/data/ctext_snapshot.h"
#include "engine/formats/glyph_utf8.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"

namespace {
int32_t last_insert_char_cat = 0;  // only this file changes it
}  // namespace

int32_t ctext_last_insert_char_cat() { return last_insert_char_cat; }
void ctext_forget_insert_char_cat() { last_insert_char_cat = 0; }

namespace {

using bytes = std::basic_string<uint8_t>;

int32_t clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// The ordered selection, within the text.
void selection(const tarq_ctext* c, int32_t* a, int32_t* b) {
  int32_t len = ctext_length(c);
  *a = clamp(c->select_start < c->select_end ? c->select_start : c->select_end, 0, len);
  *b = clamp(c->select_start < c->select_end ? c->select_end : c->select_start, 0, len);
}

// Replaces the whole text with one of the same capacity.
void set_text(tarq_ctext* c, const bytes& text) {
  size_t n = text.size() < (size_t)c->capacity ? text.size() : (size_t)c->capacity;
  memcpy(c->text, text.data(), n);
  c->text[n] = 0;
}

bool is_space(uint8_t ch) { return ch == ' ' || ch == '\t'; }

// Occurrences of the search text, in order.
std::vector<int32_t> occurrences(const tarq_ctext* c, const char* needle) {
  std::vector<int32_t> at;
  size_t n = strlen(needle);
  if (n == 0) return at;
  const char* text = (const char*)c->text;
  for (const char* p = strstr(text, needle); p; p = strstr(p + 1, needle)) at.push_back((int32_t)(p - text));
  return at;
}

// Starts of the function definitions: "function " hits, then, once none is
// left after the last hit, "function\t" ones.
std::vector<int32_t> function_starts(const tarq_ctext* c) {
  std::vector<int32_t> at;
  const char* text = (const char*)c->text;
  const char* p = text;
  for (;;) {
    const char* hit = strstr(p, "function ");
    if (!hit) hit = strstr(p, "function\t");
    if (!hit) break;
    at.push_back((int32_t)(hit - text));
    p = hit + 1;
  }
  return at;
}

void clear_search(tarq_ctext* c) {
  c->search_text[0] = 0;
  c->search_cursor = 0;
  c->search_highlight = 0;
}

}  // namespace

int32_t ctext_length(const tarq_ctext* c) { return (int32_t)strlen((const char*)c->text); }

int32_t ctext_line_start(const uint8_t* t, int32_t pos) {
  while (pos > 0 && t[pos - 1] != '\n') pos--;
  return pos;
}

int32_t ctext_line_end(const uint8_t* t, int32_t pos) {
  while (t[pos] && t[pos] != '\n') pos++;
  return pos;
}

void ctext_collapse(tarq_ctext* c, int32_t pos) { c->cursor = c->select_start = c->select_end = pos; }

int get_char_cat(uint8_t ch) {
  if (ch >= 128 || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_')
    return 1;
  if (ch && strchr("!@#$%^&*(){}[]<>:;.,~=+-/\\`'\"", ch)) return 2;
  return 0;
}

void ctext_insert_text_ex(tarq_ctext* c, const uint8_t* text, int32_t pos, int move_cursor) {
  if (!c || !text) return;
  int32_t len = ctext_length(c);
  int32_t add = (int32_t)strlen((const char*)text);
  if ((int64_t)len + add > c->capacity) return;
  pos = clamp(pos, 0, len);
  bytes joined(c->text, (size_t)pos);
  joined.append(text, (size_t)add);
  joined.append(c->text + pos, (size_t)(len - pos));
  bytes kept;
  int32_t inserted = add;
  for (size_t i = 0; i < joined.size(); i++) {
    if (joined[i] == '\r') inserted--;
    else kept.push_back(joined[i]);
  }
  set_text(c, kept);
  if (move_cursor) ctext_collapse(c, clamp(c->cursor + inserted, 0, c->capacity));
}

void ctext_insert_text(tarq_ctext* c, const uint8_t* text, int32_t pos) { ctext_insert_text_ex(c, text, pos, 1); }

void ctext_remove_text(tarq_ctext* c, int32_t pos, int32_t count) {
  int32_t len = ctext_length(c);
  pos = clamp(pos, 0, len);
  count = clamp(count, 0, len - pos);
  memmove(c->text + pos, c->text + pos + count, (size_t)(len - pos - count + 1));
}

void ctextfield_delete_selected(tarq_ctext* c) {
  tarq_backup_ctext_if_editing_newline(c);
  int32_t a, b;
  selection(c, &a, &b);
  if (a == b) return;
  tarq_backup_ctext(c);
  ctext_remove_text(c, a, b - a);
  ctext_collapse(c, a);
}

void ctext_insert_character(tarq_ctext* c, uint8_t code) {
  int32_t len = ctext_length(c);
  if (len >= c->capacity) return;
  int cat = get_char_cat(code);
  if (cat == 1 && last_insert_char_cat == 1 && c->cursor != 0) tarq_backup_ctext_if_editing_newline(c);
  else tarq_backup_ctext(c);
  last_insert_char_cat = cat;
  int32_t at = clamp(c->cursor, 0, len);
  memmove(c->text + at + 1, c->text + at, (size_t)(len - at + 1));
  c->text[at] = code;
  ctext_collapse(c, at + 1);
}

void ctext_move_line(tarq_ctext* c, int32_t direction) {
  tarq_backup_ctext_allow_view(c);
  // Worked on a copy with a final newline, so the last line moves like any other.
  bytes text(c->text);
  bool added = text.empty() || text.back() != '\n';
  if (added) text.push_back('\n');
  int32_t cursor = clamp(c->cursor, 0, (int32_t)text.size() - 1);
  int32_t start = ctext_line_start(text.c_str(), cursor);
  int32_t end = ctext_line_end(text.c_str(), cursor) + 1;  // with its newline
  int32_t a, b, mid;                                       // the two blocks [a, mid) and [mid, b)
  if (direction < 0) {
    if (start == 0) return;
    a = ctext_line_start(text.c_str(), start - 1);
    mid = start;
    b = end;
  } else {
    if (end >= (int32_t)text.size()) return;
    a = start;
    mid = end;
    b = ctext_line_end(text.c_str(), end) + 1;
  }
  bytes swapped = text.substr(0, a) + text.substr(mid, b - mid) + text.substr(a, mid - a) + text.substr(b);
  if (added) swapped.pop_back();
  set_text(c, swapped);
  int32_t moved = direction < 0 ? -(mid - a) : (b - mid);
  ctext_collapse(c, c->cursor + moved);
}

void ctext_duplicate_line(tarq_ctext* c) {
  tarq_backup_ctext_if_editing_newline(c);
  int32_t start = ctext_line_start(c->text, clamp(c->cursor, 0, ctext_length(c)));
  if (c->text[start] == '\n') return;
  int32_t end = ctext_line_end(c->text, start);
  tarq_backup_ctext(c);
  bytes line(c->text + start, (size_t)(end - start));
  line.push_back('\n');
  ctext_insert_text_ex(c, line.c_str(), start, 1);
}

void toggle_block_comment(tarq_ctext* c) {
  tarq_backup_ctext_if_editing_newline(c);
  int32_t a, b;
  selection(c, &a, &b);
  int first = ctext_get_line_number_for_pos(c->text, a);
  int last = a == b ? first : ctext_get_line_number_for_pos(c->text, b - 1);
  if (last < first) last = first;
  tarq_backup_ctext(c);
  bool all = true;
  for (int l = first; l <= last; l++) {
    int32_t s = ctext_get_pos_for_line_number(c->text, l);
    if (c->text[s] != '-' || c->text[s + 1] != '-') all = false;
  }
  if (!all && ctext_length(c) + 2 * (last - first + 1) > c->capacity) return;
  int32_t* positions[3] = {&c->cursor, &c->select_start, &c->select_end};
  for (int l = last; l >= first; l--) {
    int32_t s = ctext_get_pos_for_line_number(c->text, l);
    if (all) {
      ctext_remove_text(c, s, 2);
      for (int32_t* p : positions) {
        if (*p >= s + 2) *p -= 2;
        else if (*p > s) *p = s;
      }
    } else {
      ctext_insert_text_ex(c, (const uint8_t*)"--", s, 0);
      for (int32_t* p : positions)
        if (*p > s) *p += 2;
    }
  }
}

int32_t calculate_skip_steps(const tarq_ctext* c, int32_t direction) {
  const uint8_t* t = c->text;
  int32_t len = ctext_length(c);
  int32_t pos = clamp(c->cursor, 0, len);
  if (!tarq_get_key_state(TARQ_KEY_CTRL)) {
    if (direction < 0) return pos > 0 ? -1 : 0;
    return pos < len ? 1 : 0;
  }
  int32_t p = pos;
  if (direction > 0) {
    while (p < len && get_char_cat(t[p]) == 0) p++;
    if (p < len) {
      int cat = get_char_cat(t[p]);
      while (p < len && get_char_cat(t[p]) == cat) p++;
    }
  } else {
    while (p > 0 && get_char_cat(t[p - 1]) == 0) p--;
    if (p > 0) {
      int cat = get_char_cat(t[p - 1]);
      while (p > 0 && get_char_cat(t[p - 1]) == cat) p--;
    }
  }
  return p - pos;
}

void ctext_select_from_double_click(tarq_ctext* c, int32_t pos) {
  int32_t len = ctext_length(c);
  pos = clamp(pos, 0, len);
  int cat = get_char_cat(c->text[pos]);
  int32_t a = pos, b = pos;
  while (a > 0 && get_char_cat(c->text[a - 1]) == cat) a--;
  while (b < len && get_char_cat(c->text[b]) == cat) b++;
  c->select_start = a;
  c->select_end = b;
  c->cursor = b;
  clear_search(c);
}

void ctext_select_from_triple_click(tarq_ctext* c, int32_t pos) {
  pos = clamp(pos, 0, ctext_length(c));
  int32_t end = ctext_line_end(c->text, pos);
  c->select_start = ctext_line_start(c->text, pos);
  c->select_end = c->text[end] == '\n' ? end + 1 : end;
  c->cursor = c->select_end;
  clear_search(c);
}

void ctext_search_for_string(tarq_ctext* c, int32_t direction) {
  if (!c->search_text[0]) return;
  c->search_highlight = 1;
  std::vector<int32_t> at = occurrences(c, c->search_text);
  if (at.empty()) return;
  int32_t n = (int32_t)strlen(c->search_text);
  bool selected = c->select_start != c->select_end;
  int32_t found = -1;
  if (direction >= 0) {
    int32_t from = selected ? c->cursor + n : c->cursor + 1;
    for (int32_t p : at)
      if (p >= from) {
        found = p;
        break;
      }
    if (found < 0) found = at.front();
  } else {
    for (int32_t p : at)
      if (p < c->cursor) found = p;
    if (found < 0) found = at.back();
  }
  c->cursor = c->select_start = found;
  c->select_end = found + n;
  ctext_bound_scrolling_to_cursor(c, 52);
}

void ctext_search_for_line(tarq_ctext* c) {
  int line;
  if (sscanf(c->search_text, "%d", &line) != 1 || line == -1) return;
  int lines = ctext_get_line_number_for_pos(c->text, 0x7FFFFFFF) + 1;
  c->cursor = line < 1 || line > lines ? ctext_length(c) : ctext_get_pos_for_line_number(c->text, line - 1);
  ctext_bound_scrolling_to_cursor(c, 52);
}

void ctext_search_for_bookmark(tarq_ctext* c, int32_t direction) {
  std::vector<int32_t> at = function_starts(c);
  int32_t to = -1;
  if (direction > 0) {
    for (int32_t p : at)
      if (p > c->cursor + 2) {
        to = p;
        break;
      }
  } else {
    size_t k = 0;
    while (k < at.size() && at[k] < c->cursor - 1) k++;
    if (k == at.size()) to = at.empty() ? -1 : at.back();
    else if (k > 0) to = at[k - 1];
  }
  if (to < 0) return;
  ctext_collapse(c, to);
  ctext_bound_scrolling_to_cursor(c, c->line_height);
}

int start_of_block(const tarq_ctext* c) {
  const uint8_t* t = c->text;
  int32_t pos = clamp(c->cursor, 0, ctext_length(c));
  auto lower = [](uint8_t ch) { return ch >= 'a' && ch <= 'z'; };
  int32_t end = pos;
  if (!lower(t[end])) {
    while (end > 0 && !lower(t[end - 1])) end--;
  } else {
    while (lower(t[end])) end++;
  }
  int32_t start = end;
  while (start > 0 && lower(t[start - 1])) start--;
  std::string word((const char*)t + start, (size_t)(end - start));
  if (word == "do" || word == "then" || word == "else") return 1;
  if (word == "repeat") return 2;
  if (t[pos] != 0 && t[pos] != '\n' && t[pos] != '\r') return 0;
  // The nearest line before the cursor with something on it.
  int32_t stop = pos;
  for (;;) {
    int32_t s = ctext_line_start(t, stop);
    int32_t i = s;
    while (i < stop && (is_space(t[i]) || t[i] == '\r')) i++;
    if (i < stop) {
      if (strncmp((const char*)t + i, "local ", 6) == 0) {
        i += 6;
        while (t[i] == ' ') i++;
      }
      return strncmp((const char*)t + i, "function", 8) == 0 ? 1 : 0;
    }
    if (s == 0) return 0;
    stop = s - 1;
  }
}

void ctextfield_copy(tarq_ctext* c, int) {
  int32_t a, b;
  selection(c, &a, &b);
  if (a == b) return;
  bytes part(c->text + a, (size_t)(b - a));
  char* utf8 = convert_glyphs_to_escaped_ex(part.c_str(), nullptr, c->keep_capitals);
  if (!utf8) return;
  tarq_set_clipboard_text(utf8);
  tarq_free(utf8);
}

void ctextfield_paste(tarq_ctext* c) {
  if (!tarq_has_clipboard_text()) return;
  tarq_backup_ctext_allow_view(c);
  char* text = tarq_get_clipboard_text();
  if (!text) return;
  if (!c->keep_capitals)
    for (char* p = text; *p; p++)
      if (*p >= 'A' && *p <= 'Z') *p = (char)(*p - 'A' + 'a');
  uint8_t* glyphs = convert_escaped_to_glyphs(text, nullptr);
  tarq_free(text);
  if (!glyphs) return;
  ctext_insert_text_ex(c, glyphs, c->cursor, 1);
  tarq_free(glyphs);
}
