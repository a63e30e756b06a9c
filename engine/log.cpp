// The engine log: each line gets a millisecond stamp; a message that begins
// with '>' indents the lines after it, one that begins with '<' un-indents.
#include "engine/log.h"

#include <cstdio>
#include <cstring>

#include "engine/tarq.h"

char tarq_debug_string[TARQ_DEBUG_STRING_SIZE];
int32_t print_debug_timestamp = 1;
int32_t tarq_debug_indentation = 0;

constexpr size_t TARQ_DEBUG_MAX_TEXT = 900;

static void log_write(const char* text) {
  if (tarq_state.log_file) fputs(text, tarq_state.log_file);
  if (tarq_state.log_file2) fputs(text, tarq_state.log_file2);
}

int tarq_debug(const char* text) {
  if (!text) return 0;
  if (print_debug_timestamp) {
    char stamp[32];
    snprintf(stamp, sizeof(stamp), "[%06d] ", static_cast<int>(tarq_get_time()));
    log_write(stamp);
  }
  size_t len = strlen(text);
  if (len > TARQ_DEBUG_MAX_TEXT) {
    log_write("[debug string too long!]\n");
    return 0;
  }
  if (text[0] == '<') {
    if (tarq_debug_indentation > 0) tarq_debug_indentation--;
    text++;
  }
  for (int32_t i = 0; i < tarq_debug_indentation; i++) log_write("  ");
  if (text[0] == '>') {
    tarq_debug_indentation++;
    text++;
  }
  log_write(text);
  len = strlen(text);
  print_debug_timestamp = len > 0 && text[len - 1] == '\n';
  if (tarq_state.log_file) fflush(tarq_state.log_file);
  if (tarq_state.log_file2) fflush(tarq_state.log_file2);
  return 0;
}
