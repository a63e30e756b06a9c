// The tokenizer's reading state, field by field.
#include "console/run/token_state.h"

#include "console/run/token.h"

int32_t get_token(const tovo_token_state* ts) { return ts->token; }
const char* get_token_ident(const tovo_token_state* ts) { return ts->ident; }
int32_t get_last_token(const tovo_token_state* ts) { return ts->last_token; }
