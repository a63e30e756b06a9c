// The tokenizer's reading state, field by field, and the syntax colour of a
// program-text token.
#include "console/run/token_queries.h"

#include "console/run/token.h"

int32_t get_token(const tovo_token_state* ts) { return ts->token; }
const char* get_token_ident(const tovo_token_state* ts) { return ts->ident; }
int32_t get_last_token(const tovo_token_state* ts) { return ts->last_token; }

// The syntax colour of a program-text token.
int get_token_color(const tovo_token_state* ts) {
  const int32_t id = ts->token;
  if (id == TOVO_TOK_COMMENT) return 13;
  if (id == TOVO_TOK_STRING || id == TOVO_TOK_NUMBER || id == TOVO_TOK_CONSTANT) return 12;
  if (id >= TOVO_TOK_FUNCTION && id <= TOVO_TOK_BREAK) return 14;
  if (id == TOVO_TOK_API_NAME) return 11;
  if (id == TOVO_TOK_INCLUDE) return 9;
  if (id >= -975) return 7;
  return 6;
}
