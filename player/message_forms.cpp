#include "player/message_forms.h"

#include <cstdio>

#include "console/run/run_state.h"
#include "player/message.h"

void show_message_ex(const char* text, int32_t ms) { show_message(text, ms); }

void show_message_2_ex(const char* format, int32_t ms, int32_t a, int32_t b) { show_message_2(format, ms, a, b); }

void show_message_hover(const char* format, int32_t a, int32_t b) {
  if (tovo_clock() < message_bar.end) return;
  snprintf(message_bar.hover, sizeof message_bar.hover, format ? format : "", a, b);
}
