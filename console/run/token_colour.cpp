// The syntax colour of a program-text token.
#include "console/run/token_colour.h"

#include "console/run/token.h"

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
