// Compound assignments: "lhs op= rhs" becomes "lhs = lhs op (rhs)".
#include <cstring>

#include "console/run/pre_line.h"
#include "console/run/token.h"

namespace {

// In search order: every occurrence of one operator is rewritten before the
// next operator is looked for.
constexpr const char* compound_ops[] = {
    "+=", "-=", "*=", "/=", "%=", "\\=", "&=", "|=", "^^=", "<<>=", ">><=", "<<=", ">>>=", ">>=", "^=", "..="};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\b'; }

// From the closing bracket at close, the matching opening bracket (same kind,
// nesting counted, string bytes ignored), or -1.
int32_t match_open(const tovo_pre_line* line, int32_t close, char open_c, char close_c) {
  int depth = 0;
  for (int32_t i = close; i >= 0; i--) {
    if (line->mask[i]) continue;
    if (line->text[i] == close_c) depth++;
    if (line->text[i] == open_c && --depth == 0) return i;
  }
  return -1;
}

// The start of the left-hand side that ends at end, for the operator at op.
int32_t lhs_start(const tovo_pre_line* line, int32_t end, int32_t op) {
  const char* t = line->text;
  int32_t i = end;
  while (i > 0 && !line->mask[i - 1]) {
    const unsigned char c = static_cast<unsigned char>(t[i - 1]);
    const char after = i < end ? t[i] : 0;
    int32_t open = -1;
    if (tovo_is_name_char(c) || c == '.') {
      open = i - 1;
    } else if (c == ':' && op >= 2 && t[op - 2] == ':' && !(i >= 2 && t[i - 2] == ':') && t[i] != ':') {
      // A single ':' only: "::" closes a label, which the statement follows.
      open = i - 1;
    } else if (c == ']' && (i == end || after == '.' || after == '[' || after == '(')) {
      open = match_open(line, i - 1, '[', ']');
    } else if (c == ')' && (after == '.' || after == '[')) {
      open = match_open(line, i - 1, '(', ')');
    }
    if (open < 0) break;
    i = open;
  }
  while (i < end && !tovo_is_name_start(static_cast<unsigned char>(t[i]))) i++;
  return i;
}

bool is_rhs_operator(int32_t id) {
  switch (id) {
    case '+':
    case '-':
    case '*':
    case '/':
    case '%':
    case '\\':
    case '^':
    case '&':
    case '|':
    case '~':
    case '#':
    case '$':
    case '@':
    case '<':
    case '>':
    case '.':
    case ':':
    case TOVO_TOK_XOR:
    case TOVO_TOK_CONCAT:
    case TOVO_TOK_LE:
    case TOVO_TOK_GE:
    case TOVO_TOK_EQ:
    case TOVO_TOK_NE:
    case TOVO_TOK_SHL:
    case TOVO_TOK_SHR:
    case TOVO_TOK_LSHR:
    case TOVO_TOK_ROTL:
    case TOVO_TOK_ROTR:
    case TOVO_TOK_NOT:
    case TOVO_TOK_AND:
    case TOVO_TOK_OR: return true;
    default: return false;
  }
}

bool is_open_bracket(int32_t id) { return id == '(' || id == '[' || id == '{'; }
bool is_close_bracket(int32_t id) { return id == ')' || id == ']' || id == '}'; }

// The right-hand side that starts at from: [*start, *end). It ends at the end
// of the line, before a token that follows a complete operand with no operator
// between them, or before a closing bracket that closes nothing opened in it.
void rhs_extent(const tovo_pre_line* line, int32_t from, int32_t* start, int32_t* end) {
  tovo_token_state ts;
  ts.token = TOVO_TOK_OP_ASSIGN;
  ts.last_token = TOVO_TOK_OP_ASSIGN;
  const char* base = line->text;
  const char* p = base + from;
  *start = -1;
  *end = from;
  bool expect_operand = true;
  int depth = 0;
  for (;;) {
    const char* next = get_next_token(&ts, p);
    const int32_t id = ts.token;
    if (id == TOVO_TOK_END_OF_TEXT || id == TOVO_TOK_NEWLINE || id == TOVO_TOK_COMMENT) break;
    if (depth > 0) {
      if (is_open_bracket(id)) depth++;
      if (is_close_bracket(id) && --depth == 0) expect_operand = false;
    } else if (is_open_bracket(id)) {
      depth = 1;
    } else if (is_close_bracket(id)) {
      break;
    } else if (is_rhs_operator(id)) {
      expect_operand = true;
    } else if (expect_operand) {
      expect_operand = false;
    } else {
      break;
    }
    if (*start < 0) *start = static_cast<int32_t>(ts.ident - base);
    *end = static_cast<int32_t>(next - base);
    p = next;
  }
  if (*start < 0) *start = *end;
}

bool has_newline(const tovo_pre_line* line, int32_t from, int32_t to) {
  return std::memchr(line->text + from, '\n', static_cast<size_t>(to - from)) != nullptr;
}

struct builder {
  tovo_pre_line* line;
  int32_t length;
};

void put(builder* b, const char* bytes, const uint8_t* mask, int32_t n) {
  std::memcpy(b->line->scratch + b->length, bytes, static_cast<size_t>(n));
  if (mask) std::memcpy(b->line->scratch_mask + b->length, mask, static_cast<size_t>(n));
  else std::memset(b->line->scratch_mask + b->length, 0, static_cast<size_t>(n));
  b->length += n;
}

// Rewrites the operator of `op_len` bytes at op, whose left-hand side is
// [lhs, end). Returns false when the line would outgrow its capacity.
bool rewrite(tovo_pre_line* line, int32_t lhs, int32_t end, int32_t op, int32_t op_len) {
  int32_t rhs = 0, rhs_end = 0;
  rhs_extent(line, op + op_len, &rhs, &rhs_end);
  const int32_t lhs_len = end - lhs, rhs_len = rhs_end - rhs, rest_len = line->length - rhs_end;
  const int64_t tail = 3 + int64_t{lhs_len} + 1 + (op_len - 1) + 2 + rhs_len + 2 + rest_len;
  if (end + tail > line->capacity) return false;
  // "= lhs op (rhs) " is built in the scratch buffers; the rest moves to
  // follow it, and the text up to the left-hand side's end stays.
  builder b = {line, 0};
  const char* t = line->text;
  const uint8_t* m = line->mask;
  put(&b, " = ", nullptr, 3);
  put(&b, t + lhs, m + lhs, lhs_len);
  put(&b, " ", nullptr, 1);
  put(&b, t + op, nullptr, op_len - 1);
  put(&b, " (", nullptr, 2);
  put(&b, t + rhs, m + rhs, rhs_len);
  put(&b, ") ", nullptr, 2);
  const int32_t rest = end + b.length;
  std::memmove(line->text + rest, line->text + rhs_end, static_cast<size_t>(rest_len));
  std::memmove(line->mask + rest, line->mask + rhs_end, static_cast<size_t>(rest_len));
  std::memcpy(line->text + end, line->scratch, static_cast<size_t>(b.length));
  std::memcpy(line->mask + end, line->scratch_mask, static_cast<size_t>(b.length));
  line->length = rest + rest_len;
  line->text[line->length] = 0;
  return true;
}

}  // namespace

bool tovo_pre_rewrite_compound(tovo_pre_line* line) {
  for (const char* op : compound_ops) {
    const int32_t op_len = static_cast<int32_t>(std::strlen(op));
    // An operator whose first occurrence is at the line start is left alone.
    if (tovo_pre_find(line, op, 0) == 0) continue;
    // A rewrite keeps the text up to the left-hand side's end, and copies no
    // occurrence of this or an earlier operator, so the search resumes there.
    int32_t from = 0;
    for (;;) {
      const int32_t at = tovo_pre_find(line, op, from);
      if (at < 0) break;
      int32_t end = at;
      while (end > 0 && is_blank(line->text[end - 1]) && !line->mask[end - 1]) end--;
      const int32_t lhs = lhs_start(line, end, at);
      if (has_newline(line, lhs, end)) {
        // A left-hand side holding a multi-line string is not copied: the copy
        // would move every later line down. The compiler reports the operator.
        from = at + op_len;
        continue;
      }
      if (!rewrite(line, lhs, end, at, op_len)) return false;
      from = end;
    }
  }
  return true;
}
