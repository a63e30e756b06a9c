#include "player/message_standin.h"

#include <cstdio>

#include "player/message.h"

tovo_message_standin message_standin;

void show_message_standin(const char* text, int32_t ms) {
  snprintf(message_standin.message, sizeof message_standin.message, "%s", text ? text : "");
  message_standin.message_ms = ms;
  message_standin.messages++;
  show_message(text, ms);
}

void tovo_print_col_standin(const char* text, int32_t colour) {
  snprintf(message_standin.line, sizeof message_standin.line, "%s", text ? text : "");
  message_standin.line_colour = colour;
  message_standin.lines++;
}
