#pragma once
// The console's own tokenizer. It exists to count a cart's tokens against the
// size limit and to colour code text; the script runtime has its own lexer.
// It also splits text into lines for the preprocessor and the include check.
// Here too are the size limits of a cart's code, and the result record that
// the checks on program text (limits, include lines, preprocessing) hand to
// the run loop, which prints a refusal's lines in colour 6 and does not run
// the program.
#include <cstdint>

// Token ids. Any other single character is a token whose id is its byte value.
enum : int32_t {
  TOVO_TOK_END_OF_TEXT = -1000,
  TOVO_TOK_NEWLINE = -999,
  TOVO_TOK_NAME = -998,
  TOVO_TOK_NUMBER = -997,
  TOVO_TOK_STRING = -996,  // "..." '...' or [[...]]
  TOVO_TOK_COMMENT = -995,
  TOVO_TOK_FUNCTION = -993,
  TOVO_TOK_END = -992,
  TOVO_TOK_FOR = -991,
  TOVO_TOK_IF = -990,
  TOVO_TOK_THEN = -989,
  TOVO_TOK_ELSE = -988,
  TOVO_TOK_ELSEIF = -987,
  TOVO_TOK_WHILE = -986,
  TOVO_TOK_DO = -985,
  TOVO_TOK_IN = -984,
  TOVO_TOK_LOCAL = -983,
  TOVO_TOK_RETURN = -982,
  TOVO_TOK_REPEAT = -981,
  TOVO_TOK_UNTIL = -980,
  TOVO_TOK_GOTO = -979,
  TOVO_TOK_BREAK = -978,
  TOVO_TOK_API_NAME = -977,  // foreach, all, menuitem, pairs, ipairs, API names
  TOVO_TOK_NOT = -974,
  TOVO_TOK_AND = -973,
  TOVO_TOK_OR = -972,
  TOVO_TOK_LE = -970,
  TOVO_TOK_GE = -969,
  TOVO_TOK_NE = -967,  // ~= and !=
  TOVO_TOK_EQ = -966,
  TOVO_TOK_OP_ASSIGN = -965,  // += -= *= /= %= \= &= |= ..= <<= >>= >>>= ^^=
  TOVO_TOK_CONCAT = -964,
  TOVO_TOK_CONSTANT = -963,  // true, false, nil
  TOVO_TOK_INCLUDE = -962,   // "#include " up to the end of the line
  TOVO_TOK_DOTS = -961,
  TOVO_TOK_LABEL = -960,  // ::
  TOVO_TOK_SHL = -958,
  TOVO_TOK_SHR = -957,
  TOVO_TOK_LSHR = -956,
  TOVO_TOK_ROTL = -955,
  TOVO_TOK_ROTR = -954,
  TOVO_TOK_XOR = -953,  // ^^
};

constexpr int TOVO_KEYWORD_SLOTS = 8192;
constexpr int TOVO_KEYWORD_NAME_MAX = 15;
constexpr int TOVO_API_NAMES_MAX = 256;
constexpr int TOVO_API_NAME_SIZE = 64;

// Start value of the keyword hash; with it no two names of the table collide.
constexpr uint32_t TOVO_KEYWORD_HASH_START = 0x67d;

// Reading state. `ident` and `ident_len` give the current token's bytes inside
// the text (the token is not copied, so a token of any length is read whole).
struct tovo_token_state {
  const char* ident;
  int32_t ident_len;
  int32_t token;       // id of the current token
  int32_t last_token;  // previous significant token: newlines and comments do not replace it
};

// Reads the first token of a NUL-terminated text, or the token at pos, and
// returns the position after it. Advances at least one byte unless at the end.
const char* get_first_token(tovo_token_state* ts, const char* text);
const char* get_next_token(tovo_token_state* ts, const char* pos);

int count_tokens(const char* text);
bool is_free_token(int32_t id);

// Character classes of names.
bool tovo_is_name_start(unsigned char c);
bool tovo_is_name_char(unsigned char c);

// The keyword table is built once, on first use, from the keywords and the
// API name list; a hash collision ends the program.
void init_keyword_hash_table();
void add_to_keyword_hash_table(const char* name, int32_t id);

// The names of the script API (for colouring), filled by the API registration.
void init_api_function_names();
void add_api_function_name(const char* name);  // names past the 256th are ignored
int tovo_api_function_name_count();
const char* tovo_api_function_name(int i);  // null outside 0..count-1

constexpr int TOVO_CHAR_LIMIT = 65536;
constexpr int TOVO_TOKEN_LIMIT = 8192;

struct tovo_text_result {
  int32_t status;    // 0 accepted, otherwise refused
  int32_t tokens;    // counted tokens (set by the limit check)
  char message[32];  // first line of a refusal, e.g. "program too large"
  char detail[32];   // second line, with its newline, or empty
};

// Checks the include-flattened code: more than 65536 characters refuse it with
// "program exceeds char limit", then more than 8192 counted tokens with
// "program too large". Returns result->status.
int tovo_check_code_limits(const char* code, tovo_text_result* result);

// Helpers for the checks: an accepted result, and a refusal.
void tovo_text_accept(tovo_text_result* result);
void tovo_text_refuse(tovo_text_result* result, const char* message);
