#pragma once
// The syntax colour of a program-text token. The player colours no program
// text.
struct tovo_token_state;

int get_token_color(const tovo_token_state* ts);  // syntax colour of the current token
