// One-line "if (c) stmt" and "while (c) stmt" gain their "then"/"do" and "end".
#include <cstring>

#include "console/run/pre_line.h"
#include "console/run/token.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\b'; }

// The earlier of the matches of "kw(" and "kw " outside strings, or -1.
int32_t find_keyword(const tovo_pre_line* line, const char* paren, const char* blank) {
  const int32_t a = tovo_pre_find(line, paren, 0);
  const int32_t b = tovo_pre_find(line, blank, 0);
  if (a < 0) return b;
  if (b < 0) return a;
  return a < b ? a : b;
}

// The ")" that matches the "(" at open (parentheses in strings ignored), or -1.
int32_t match_close(const tovo_pre_line* line, int32_t open) {
  int depth = 0;
  for (int32_t i = open; i < line->length; i++) {
    if (line->mask[i]) continue;
    if (line->text[i] == '(') depth++;
    if (line->text[i] == ')' && --depth == 0) return i;
  }
  return -1;
}

bool is_word_at(const tovo_pre_line* line, int32_t at, const char* word) {
  const int32_t n = static_cast<int32_t>(std::strlen(word));
  return at + n <= line->length && std::memcmp(line->text + at, word, static_cast<size_t>(n)) == 0 &&
         !tovo_is_name_char(static_cast<unsigned char>(line->text[at + n]));
}

}  // namespace

bool tovo_pre_rewrite_if_while(tovo_pre_line* line) {
  int32_t at = -1, keyword_len = 0;
  const char* block = nullptr;
  if (!line->has_then) {
    at = find_keyword(line, "if(", "if ");
    keyword_len = 2;
    block = " then ";
  }
  if (at < 0 && !line->has_do) {
    at = find_keyword(line, "while(", "while ");
    keyword_len = 5;
    block = " do ";
  }
  // Only this one candidate is tried: inside a name (as in "gif (x)") it blocks the rule.
  if (at < 0 || (at > 0 && tovo_is_name_char(static_cast<unsigned char>(line->text[at - 1])))) return true;
  int32_t open = at + keyword_len;
  while (open < line->length && is_blank(line->text[open])) open++;
  if (open >= line->length || line->text[open] != '(' || line->mask[open]) return true;
  const int32_t close = match_close(line, open);
  if (close < 0) return true;
  int32_t next = close + 1;
  while (next < line->length && is_blank(line->text[next])) next++;
  if (next >= line->length) return true;
  const unsigned char c = static_cast<unsigned char>(line->text[next]);
  if (!tovo_is_name_start(c) && c != ';') return true;
  // "if (a) and b then": the condition goes on.
  if (is_word_at(line, next, "and") || is_word_at(line, next, "or")) return true;

  // text up to ")" + block + rest of the line + ")" of a pending print + " end "
  const int32_t head = close + 1, block_len = static_cast<int32_t>(std::strlen(block));
  const int32_t rest = line->length - head;
  const int32_t closing = line->print_pending ? 1 : 0;
  if (int64_t{line->length} + block_len + closing + 5 > line->capacity) return false;
  std::memmove(line->text + head + block_len, line->text + head, static_cast<size_t>(rest));
  std::memmove(line->mask + head + block_len, line->mask + head, static_cast<size_t>(rest));
  std::memcpy(line->text + head, block, static_cast<size_t>(block_len));
  std::memset(line->mask + head, 0, static_cast<size_t>(block_len));
  line->length += block_len;
  const char* tail = line->print_pending ? ") end " : " end ";
  const int32_t tail_len = static_cast<int32_t>(std::strlen(tail));
  std::memcpy(line->text + line->length, tail, static_cast<size_t>(tail_len));
  std::memset(line->mask + line->length, 0, static_cast<size_t>(tail_len));
  line->length += tail_len;
  line->text[line->length] = 0;
  line->print_pending = false;
  return true;
}
