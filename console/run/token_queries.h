#pragma once
// The tokenizer's reading state, field by field, and the syntax colour of the
// current token. Its callers read the record itself, and the player colours
// no program text: nothing in the player calls these.
#include <cstdint>

struct tovo_token_state;

int32_t get_token(const tovo_token_state* ts);            // id of the current token
const char* get_token_ident(const tovo_token_state* ts);  // its first byte inside the text
int32_t get_last_token(const tovo_token_state* ts);       // the previous significant token

int get_token_color(const tovo_token_state* ts);  // syntax colour of the current token
