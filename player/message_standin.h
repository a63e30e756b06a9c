#pragma once
// Messages of the cart-storage code: shown on the message bar, and the last
// one kept so that callers can be checked; and a stand-in for coloured
// console lines until the print engine is joined, likewise kept.
#include <cstdint>

constexpr int TOVO_STANDIN_MESSAGE_SIZE = 256;

struct tovo_message_standin {
  char message[TOVO_STANDIN_MESSAGE_SIZE];  // the last message shown
  int32_t message_ms;
  int32_t messages;                         // messages shown so far
  char line[TOVO_STANDIN_MESSAGE_SIZE];     // the last console line
  int32_t line_colour;
  int32_t lines;                            // console lines printed so far
};

extern tovo_message_standin message_standin;

// The message bar: text for ms milliseconds.
void show_message_standin(const char* text, int32_t ms);
// A console line in a colour.
void tovo_print_col_standin(const char* text, int32_t colour);
