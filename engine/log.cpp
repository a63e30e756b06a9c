// The engine log: each line gets a millisecond stamp; a message that begins
// with '>' indents the lines after it, one that begins with '<' un-indents.
#include "engine/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine/log_format.h"
#include "engine/tarq.h"

namespace {

// The log's record: only this file changes it.
struct tarq_log_state {
  char tarq_debug_string[TARQ_DEBUG_STRING_SIZE];  // a formatted message
  int32_t print_debug_timestamp = 1;               // 1: the next message starts a line
  int32_t tarq_debug_indentation = 0;              // open steps
};

tarq_log_state log_state;

}  // namespace

int32_t tarq_log_at_line_start() { return log_state.print_debug_timestamp; }
int32_t tarq_log_indentation() { return log_state.tarq_debug_indentation; }
void tarq_log_reset() {
  log_state.print_debug_timestamp = 1;
  log_state.tarq_debug_indentation = 0;
}

void tarq_vlogf(const char* format, va_list args) {
  vsnprintf(log_state.tarq_debug_string, sizeof(log_state.tarq_debug_string), format, args);
  tarq_debug(log_state.tarq_debug_string);
}

void tarq_logf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  tarq_vlogf(format, args);
  va_end(args);
}

constexpr size_t TARQ_DEBUG_MAX_TEXT = 900;

static void log_write(const char* text) {
  if (tarq_state.log_file) fputs(text, tarq_state.log_file);
  if (tarq_state.log_file2) fputs(text, tarq_state.log_file2);
}

int tarq_debug(const char* text) {
  if (!text) return 0;
  if (log_state.print_debug_timestamp) {
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
    if (log_state.tarq_debug_indentation > 0) log_state.tarq_debug_indentation--;
    text++;
  }
  for (int32_t i = 0; i < log_state.tarq_debug_indentation; i++) log_write("  ");
  if (text[0] == '>') {
    log_state.tarq_debug_indentation++;
    text++;
  }
  log_write(text);
  len = strlen(text);
  log_state.print_debug_timestamp = len > 0 && text[len - 1] == '\n';
  if (tarq_state.log_file) fflush(tarq_state.log_file);
  if (tarq_state.log_file2) fflush(tarq_state.log_file2);
  return 0;
}
