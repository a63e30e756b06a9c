// Include directives: the line-by-line copy that refuses include lines.
#include "console/run/include.h"

#include <cstdio>
#include <cstring>

#include "console/run/token.h"

namespace {

struct include_entry {
  char name[TOVO_INCLUDE_NAME_SIZE];
  int32_t first_line;
  int32_t last_line;
};

include_entry includes[TOVO_INCLUDES_MAX];
int include_count = 0;

bool is_include_line(const char* line) {
  while (*line == ' ' || *line == '\t') line++;
  return std::strncmp(line, "#include ", 9) == 0;
}

// The end of the line that starts at p: after its newline token, or the end of
// the text. Comments and long strings that span lines belong to the line they
// start on.
const char* line_end(tovo_token_state* ts, const char* p) {
  do {
    p = get_next_token(ts, p);
  } while (ts->token != TOVO_TOK_NEWLINE && ts->token != TOVO_TOK_END_OF_TEXT);
  return p;
}

}  // namespace

int tovo_flatten_includes(const char* text, char* out, int32_t out_size, tovo_text_result* result) {
  include_count = 0;
  tovo_text_accept(result);
  if (out_size > 0) out[0] = 0;
  const size_t length = std::strlen(text);
  if (out_size <= 0 || length >= static_cast<size_t>(out_size)) {
    tovo_text_refuse(result, "program exceeds char limit");
    const int shown = length > 0x7fffffff ? 0x7fffffff : static_cast<int>(length);
    std::snprintf(result->detail, sizeof result->detail, "%d / %d chars\n", shown, TOVO_CHAR_LIMIT);
    return 2;
  }
  tovo_token_state ts;
  ts.token = TOVO_TOK_NEWLINE;
  ts.last_token = TOVO_TOK_NEWLINE;
  const char* line = text;
  size_t used = 0;
  while (*line) {
    if (is_include_line(line)) {
      tovo_text_refuse(result, "can not #include");
      return 1;
    }
    const char* end = line_end(&ts, line);
    const size_t n = static_cast<size_t>(end - line);
    std::memcpy(out + used, line, n);
    used += n;
    out[used] = 0;
    line = end;
  }
  return 0;
}

int last_included_files() { return include_count; }

int32_t included_start(int i) { return i >= 0 && i < include_count ? includes[i].first_line : 0; }

int32_t included_end(int i) { return i >= 0 && i < include_count ? includes[i].last_line : 0; }

const char* included_name(int i) { return i >= 0 && i < include_count ? includes[i].name : nullptr; }
