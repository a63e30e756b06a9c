// The console tokenizer, its keyword table, the token count and the size
// limits of a cart's code.
#include "console/run/token.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "console/bindings/api_list.h"
#include "engine/tarq.h"

namespace {

struct keyword_slot {
  char name[TOVO_KEYWORD_NAME_MAX + 1];
  int32_t id;
};

keyword_slot keyword_table[TOVO_KEYWORD_SLOTS];
bool keyword_table_built = false;

char api_names[TOVO_API_NAMES_MAX][TOVO_API_NAME_SIZE];
int api_name_count = 0;

struct keyword_entry {
  const char* name;
  int32_t id;
};

// clang-format off
constexpr keyword_entry keywords[] = {
    {"function", TOVO_TOK_FUNCTION}, {"end", TOVO_TOK_END},         {"for", TOVO_TOK_FOR},
    {"if", TOVO_TOK_IF},             {"then", TOVO_TOK_THEN},       {"else", TOVO_TOK_ELSE},
    {"elseif", TOVO_TOK_ELSEIF},     {"while", TOVO_TOK_WHILE},     {"not", TOVO_TOK_NOT},
    {"and", TOVO_TOK_AND},           {"or", TOVO_TOK_OR},           {"do", TOVO_TOK_DO},
    {"local", TOVO_TOK_LOCAL},       {"return", TOVO_TOK_RETURN},   {"repeat", TOVO_TOK_REPEAT},
    {"until", TOVO_TOK_UNTIL},       {"goto", TOVO_TOK_GOTO},       {"break", TOVO_TOK_BREAK},
    {"true", TOVO_TOK_CONSTANT},     {"false", TOVO_TOK_CONSTANT},  {"nil", TOVO_TOK_CONSTANT},
    {"in", TOVO_TOK_IN},             {"foreach", TOVO_TOK_API_NAME}, {"all", TOVO_TOK_API_NAME},
    {"menuitem", TOVO_TOK_API_NAME}, {"pairs", TOVO_TOK_API_NAME},  {"ipairs", TOVO_TOK_API_NAME},
};
// clang-format on

uint32_t keyword_hash(const char* name, size_t len) {
  uint32_t h = TOVO_KEYWORD_HASH_START;
  for (size_t i = 0; i < len; i++) h = ((static_cast<unsigned char>(name[i]) * h) & 0x1fff) ^ 0x1c62;
  return h & (TOVO_KEYWORD_SLOTS - 1);
}

int32_t keyword_lookup(const char* name, size_t len) {
  if (len > static_cast<size_t>(TOVO_KEYWORD_NAME_MAX)) return TOVO_TOK_NAME;
  if (!keyword_table_built) init_keyword_hash_table();
  const keyword_slot& slot = keyword_table[keyword_hash(name, len)];
  if (slot.id != 0 && std::strncmp(slot.name, name, len) == 0 && slot.name[len] == 0) return slot.id;
  return TOVO_TOK_NAME;
}

bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

bool is_hex_digit(unsigned char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool is_blank(char c) { return c == ' ' || c == '\r' || c == '\t' || c == '\b'; }

// Tokens after which "-" or "~" followed by a number is the number's sign.
bool sign_may_follow(int32_t id) {
  switch (id) {
    case '(':
    case '{':
    case '[':
    case ',':
    case '?':
    case '~':
    case '*':
    case '/':
    case '+':
    case '-':
    case '^':
    case '%':
    case '<':
    case '>':
    case '=':
    case TOVO_TOK_LE:
    case TOVO_TOK_GE:
    case TOVO_TOK_NE:
    case TOVO_TOK_EQ:
    case TOVO_TOK_OP_ASSIGN:
    case TOVO_TOK_NOT:
    case TOVO_TOK_AND:
    case TOVO_TOK_OR:
    case TOVO_TOK_IF:
    case TOVO_TOK_ELSEIF:
    case TOVO_TOK_WHILE:
    case TOVO_TOK_UNTIL:
    case TOVO_TOK_RETURN: return true;
    default: return false;
  }
}

bool starts_number(const char* p) { return is_digit(p[0]) || (p[0] == '.' && is_digit(p[1])); }

const char* read_number(const char* p) {
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    p += 2;
    while (is_hex_digit(*p) || *p == '.') p++;
  } else if (p[0] == '0' && (p[1] == 'b' || p[1] == 'B')) {
    p += 2;
    while (*p == '0' || *p == '1' || *p == '.') p++;
  } else {
    while (is_digit(*p) || *p == '.') p++;
  }
  return p;
}

// p is just after an opening "[["; returns the position after the matching
// "]]" (nested pairs counted), or null when it is never closed.
const char* skip_long_bracket(const char* p) {
  int depth = 1;
  while (*p) {
    if (p[0] == '[' && p[1] == '[') {
      depth++;
      p += 2;
    } else if (p[0] == ']' && p[1] == ']') {
      p += 2;
      if (--depth == 0) return p;
    } else {
      p++;
    }
  }
  return nullptr;
}

const char* to_line_end(const char* p) {
  while (*p && *p != '\n') p++;
  return p;
}

const char* read_quoted(const char* p) {
  const char quote = *p++;
  while (*p && *p != quote && *p != '\n') {
    if (*p == '\\' && p[1]) p++;  // the escaped byte belongs to the string
    p++;
  }
  return *p == quote ? p + 1 : p;
}

struct op_entry {
  const char* text;
  int32_t id;
  size_t length;
  constexpr op_entry(const char* t, int32_t i) : text(t), id(i), length(std::char_traits<char>::length(t)) {}
};

// Longest first within each leading byte.
// clang-format off
constexpr op_entry operators[] = {
    {">>>=", TOVO_TOK_OP_ASSIGN}, {"...", TOVO_TOK_DOTS},  {"..=", TOVO_TOK_OP_ASSIGN},
    {"<<=", TOVO_TOK_OP_ASSIGN},  {"<<>", TOVO_TOK_ROTL},  {">>=", TOVO_TOK_OP_ASSIGN},
    {">>>", TOVO_TOK_LSHR},       {">><", TOVO_TOK_ROTR},  {"^^=", TOVO_TOK_OP_ASSIGN},
    {"..", TOVO_TOK_CONCAT},      {"::", TOVO_TOK_LABEL},  {"<=", TOVO_TOK_LE},
    {">=", TOVO_TOK_GE},          {"~=", TOVO_TOK_NE},     {"!=", TOVO_TOK_NE},
    {"==", TOVO_TOK_EQ},          {"+=", TOVO_TOK_OP_ASSIGN}, {"-=", TOVO_TOK_OP_ASSIGN},
    {"*=", TOVO_TOK_OP_ASSIGN},   {"/=", TOVO_TOK_OP_ASSIGN}, {"%=", TOVO_TOK_OP_ASSIGN},
    {"&=", TOVO_TOK_OP_ASSIGN},   {"|=", TOVO_TOK_OP_ASSIGN}, {"\\=", TOVO_TOK_OP_ASSIGN},
    {"<<", TOVO_TOK_SHL},         {">>", TOVO_TOK_SHR},    {"^^", TOVO_TOK_XOR},
};
// clang-format on

const char* read_token(tovo_token_state* ts, const char* p) {
  const unsigned char c = static_cast<unsigned char>(*p);
  if (c == 0) {
    ts->token = TOVO_TOK_END_OF_TEXT;
    return p;
  }
  if (p[0] == '-' && p[1] == '-') {
    ts->token = TOVO_TOK_COMMENT;
    if (p[2] == '[' && p[3] == '[') {
      if (const char* end = skip_long_bracket(p + 4)) return end;
    }
    return to_line_end(p);
  }
  if ((c == '-' || c == '~') && starts_number(p + 1) && sign_may_follow(ts->last_token)) {
    ts->token = TOVO_TOK_NUMBER;
    return read_number(p + 1);
  }
  if (tovo_is_name_start(c)) {
    const char* end = p + 1;
    while (tovo_is_name_char(static_cast<unsigned char>(*end))) end++;
    const bool after_accessor = ts->last_token == '.' || ts->last_token == ':';
    ts->token = after_accessor ? TOVO_TOK_NAME : keyword_lookup(p, static_cast<size_t>(end - p));
    return end;
  }
  if (starts_number(p)) {
    ts->token = TOVO_TOK_NUMBER;
    return read_number(p);
  }
  if (c == '"' || c == '\'') {
    ts->token = TOVO_TOK_STRING;
    return read_quoted(p);
  }
  if (p[0] == '[' && p[1] == '[') {
    ts->token = TOVO_TOK_STRING;
    const char* end = skip_long_bracket(p + 2);
    return end ? end : p + std::strlen(p);
  }
  if (c == '\n') {
    ts->token = TOVO_TOK_NEWLINE;
    return p + 1;
  }
  if (p[0] == '/' && p[1] == '/') {
    ts->token = TOVO_TOK_COMMENT;
    return to_line_end(p);
  }
  for (const op_entry& op : operators) {
    if (op.text[0] == p[0] && std::strncmp(p, op.text, op.length) == 0) {
      ts->token = op.id;
      return p + op.length;
    }
  }
  if (c == '#' && std::strncmp(p, "#include ", 9) == 0) {
    ts->token = TOVO_TOK_INCLUDE;
    return to_line_end(p);
  }
  ts->token = c;
  return p + 1;
}

}  // namespace

bool tovo_is_name_start(unsigned char c) {
  return c == 0x1e || c == 0x1f || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') || c >= 0x80;
}

bool tovo_is_name_char(unsigned char c) { return tovo_is_name_start(c) || is_digit(c); }

const char* get_first_token(tovo_token_state* ts, const char* text) {
  ts->last_token = TOVO_TOK_NEWLINE;
  ts->token = TOVO_TOK_NEWLINE;
  return get_next_token(ts, text);
}

const char* get_next_token(tovo_token_state* ts, const char* pos) {
  if (ts->token != TOVO_TOK_NEWLINE && ts->token != TOVO_TOK_COMMENT) ts->last_token = ts->token;
  while (is_blank(*pos)) pos++;
  const char* end = read_token(ts, pos);
  ts->ident = pos;
  ts->ident_len = static_cast<int32_t>(end - pos);
  return end;
}

bool is_free_token(int32_t id) {
  switch (id) {
    case ')':
    case ',':
    case '.':
    case ':':
    case ';':
    case ']':
    case '}':
    case TOVO_TOK_END:
    case TOVO_TOK_LOCAL:
    case TOVO_TOK_LABEL:
    case TOVO_TOK_COMMENT:
    case TOVO_TOK_INCLUDE:
    case TOVO_TOK_NEWLINE:
    case TOVO_TOK_END_OF_TEXT: return true;
    default: return false;
  }
}

int count_tokens(const char* text) {
  tovo_token_state ts;
  const char* p = get_first_token(&ts, text);
  int count = 0;
  while (ts.token != TOVO_TOK_END_OF_TEXT) {
    if (!is_free_token(ts.token)) count++;
    p = get_next_token(&ts, p);
  }
  return count;
}

void add_to_keyword_hash_table(const char* name, int32_t id) {
  keyword_slot& slot = keyword_table[keyword_hash(name, std::strlen(name))];
  if (slot.name[0] != 0 || slot.id != 0) {
    // Goes to standard output and the log; the program ends with a failure status.
    char message[64];
    std::snprintf(message, sizeof message, "keyword hash collision: %s %s", slot.name, name);
    tarq_fatal_error(message);
  }
  std::snprintf(slot.name, sizeof slot.name, "%s", name);
  slot.id = id;
}

void init_keyword_hash_table() {
  if (keyword_table_built) return;
  keyword_table_built = true;
  if (api_name_count == 0) tovo_add_api_names();
  for (const keyword_entry& k : keywords) add_to_keyword_hash_table(k.name, k.id);
  for (int i = 0; i < tovo_api_function_name_count(); i++) {
    const char* name = tovo_api_function_name(i);
    if (std::strlen(name) <= static_cast<size_t>(TOVO_KEYWORD_NAME_MAX))
      add_to_keyword_hash_table(name, TOVO_TOK_API_NAME);
  }
}

void init_api_function_names() { api_name_count = 0; }

void add_api_function_name(const char* name) {
  if (api_name_count >= TOVO_API_NAMES_MAX) return;
  std::snprintf(api_names[api_name_count++], TOVO_API_NAME_SIZE, "%s", name);
}

int tovo_api_function_name_count() { return api_name_count; }

const char* tovo_api_function_name(int i) { return i >= 0 && i < api_name_count ? api_names[i] : nullptr; }

// Size limits of a cart's code.
void tovo_text_accept(tovo_text_result* result) {
  result->status = 0;
  result->message[0] = 0;
  result->detail[0] = 0;
}

void tovo_text_refuse(tovo_text_result* result, const char* message) {
  result->status = 1;
  std::snprintf(result->message, sizeof result->message, "%s", message);
  result->detail[0] = 0;
}

int tovo_check_code_limits(const char* code, tovo_text_result* result) {
  tovo_text_accept(result);
  result->tokens = 0;
  const size_t chars = std::strlen(code);
  if (chars > static_cast<size_t>(TOVO_CHAR_LIMIT)) {
    tovo_text_refuse(result, "program exceeds char limit");
    // A length past the int range is shown as the largest int.
    const int shown = chars > 0x7fffffff ? 0x7fffffff : static_cast<int>(chars);
    std::snprintf(result->detail, sizeof result->detail, "%d / %d chars\n", shown, TOVO_CHAR_LIMIT);
    return result->status;
  }
  result->tokens = count_tokens(code);
  if (result->tokens > TOVO_TOKEN_LIMIT) {
    tovo_text_refuse(result, "program too large");
    std::snprintf(result->detail, sizeof result->detail, "%d / %d tokens\n", result->tokens, TOVO_TOKEN_LIMIT);
  }
  return result->status;
}
