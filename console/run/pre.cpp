// The preprocessor's line loop: gathers each line's tokens, applies the
// rewrite rules and writes the line with the newlines it consumed.
#include "console/run/pre.h"

#include <cstring>

#include "console/run/pre_line.h"
#include "console/run/token.h"
#include "engine/tracked_mem.h"

namespace {

struct output {
  char* text;
  int32_t size;  // bytes available, NUL included
  int32_t length;
};

bool append(tovo_pre_line* line, const char* bytes, int32_t n, uint8_t mask) {
  if (n > line->capacity - line->length) return false;
  std::memcpy(line->text + line->length, bytes, static_cast<size_t>(n));
  std::memset(line->mask + line->length, mask, static_cast<size_t>(n));
  line->length += n;
  line->text[line->length] = 0;
  return true;
}

bool emit(output* out, const char* bytes, int32_t n) {
  if (n >= out->size - out->length) return false;
  std::memcpy(out->text + out->length, bytes, static_cast<size_t>(n));
  out->length += n;
  out->text[out->length] = 0;
  return true;
}

int32_t count_newlines(const char* p, int32_t n) {
  int32_t count = 0;
  for (int32_t i = 0; i < n; i++) count += p[i] == '\n';
  return count;
}

// Gathers the tokens of one line (up to and including the next newline token)
// into line. A line longer than a segment ends after the segment's last token,
// with no newline: the rest of it is gathered as a line of its own. Returns
// false when the line outgrows its capacity.
bool gather_line(tovo_token_state* ts, const char** pos, tovo_pre_line* line, int32_t* newlines, bool* at_end) {
  line->length = 0;
  line->text[0] = 0;
  line->print_pending = line->has_then = line->has_do = false;
  *newlines = 0;
  *at_end = false;
  int32_t tokens = 0;
  for (;;) {
    if (tokens == TOVO_PRE_SEGMENT_TOKENS) return true;
    const char* before = *pos;
    *pos = get_next_token(ts, before);
    const int32_t id = ts->token;
    if (id == TOVO_TOK_END_OF_TEXT) {
      *at_end = true;
      return true;
    }
    if (id == TOVO_TOK_NEWLINE) {
      (*newlines)++;
      return true;
    }
    if (id == TOVO_TOK_COMMENT) {
      // A comment is dropped; a blank keeps the tokens around it apart.
      *newlines += count_newlines(ts->ident, ts->ident_len);
      if (line->length > 0 && !append(line, " ", 1, 0)) return false;
      continue;
    }
    if (!append(line, before, static_cast<int32_t>(ts->ident - before), 0)) return false;
    bool ok;
    if (id == '?') {
      ok = append(line, " print(", 7, 0);
      line->print_pending = true;
    } else {
      ok = append(line, ts->ident, ts->ident_len, id == TOVO_TOK_STRING ? 1 : 0);
      if (ok && id == TOVO_TOK_NUMBER) ok = append(line, " ", 1, 0);
    }
    if (!ok) return false;
    if (id == TOVO_TOK_THEN) line->has_then = true;
    if (id == TOVO_TOK_DO) line->has_do = true;
    tokens++;
  }
}

bool write_line(output* out, const tovo_pre_line* line, int32_t newlines) {
  if (!emit(out, line->text, line->length)) return false;
  if (line->print_pending && !emit(out, ")", 1)) return false;
  for (int32_t i = 0; i < newlines; i++) {
    if (!emit(out, "\n", 1)) return false;
  }
  return true;
}

bool preprocess(const char* in, output* out, tovo_pre_line* line) {
  tovo_token_state ts;
  ts.token = TOVO_TOK_NEWLINE;
  ts.last_token = TOVO_TOK_NEWLINE;
  const char* pos = in;
  bool at_end = false;
  while (!at_end) {
    int32_t newlines = 0;
    if (!gather_line(&ts, &pos, line, &newlines, &at_end)) return false;
    tovo_pre_replace_not_equal(line);
    if (!tovo_pre_rewrite_compound(line)) return false;
    if (!tovo_pre_rewrite_if_while(line)) return false;
    if (!write_line(out, line, newlines)) return false;
  }
  return true;
}

}  // namespace

int32_t tovo_pre_find(const tovo_pre_line* line, const char* pattern, int32_t from) {
  const int32_t n = static_cast<int32_t>(std::strlen(pattern));
  const char* t = line->text;
  for (int32_t i = from < 0 ? 0 : from; i + n <= line->length; i++) {
    const void* hit = std::memchr(t + i, pattern[0], static_cast<size_t>(line->length - n + 1 - i));
    if (!hit) return -1;
    i = static_cast<int32_t>(static_cast<const char*>(hit) - t);
    if (std::memcmp(t + i, pattern, static_cast<size_t>(n)) != 0) continue;
    bool in_string = false;
    for (int32_t k = 0; k < n; k++) in_string = in_string || line->mask[i + k];
    if (!in_string) return i;
  }
  return -1;
}

void tovo_pre_replace_not_equal(tovo_pre_line* line) {
  for (int32_t at = tovo_pre_find(line, "!=", 0); at >= 0; at = tovo_pre_find(line, "!=", at + 2)) line->text[at] = '~';
}

int tovo_preprocess(const char* in, char* out, int32_t out_size, tovo_text_result* result) {
  tovo_text_accept(result);
  if (out_size > 0) out[0] = 0;
  // A line never needs more room than the whole output.
  const int32_t capacity = out_size > 0 ? out_size : 0;
  const size_t bytes = static_cast<size_t>(capacity) + 1;
  tovo_pre_line line = {};
  line.capacity = capacity;
  line.text = static_cast<char*>(tarq_malloc(bytes));
  line.mask = static_cast<uint8_t*>(tarq_malloc(bytes));
  line.scratch = static_cast<char*>(tarq_malloc(bytes));
  line.scratch_mask = static_cast<uint8_t*>(tarq_malloc(bytes));
  output o = {out, out_size, 0};
  const bool done =
      line.text && line.mask && line.scratch && line.scratch_mask && out_size > 0 && preprocess(in, &o, &line);
  tarq_free(line.text);
  tarq_free(line.mask);
  tarq_free(line.scratch);
  tarq_free(line.scratch_mask);
  if (done) return 0;
  if (out_size > 0) out[0] = 0;
  tovo_text_refuse(result, "program too large");
  return result->status;
}
