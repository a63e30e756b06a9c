#pragma once
// Formats one message into the shared debug string and writes it to the log.
#include <cstdarg>
#include <cstdio>

#include "engine/log.h"

__attribute__((format(printf, 1, 2))) inline void tarq_logf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vsnprintf(tarq_debug_string, sizeof(tarq_debug_string), format, args);
  va_end(args);
  tarq_debug(tarq_debug_string);
}
