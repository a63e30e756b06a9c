#pragma once
// The engine log "log.txt": stamped lines, indented by nested steps.
// A message that begins with '>' opens a step, one that begins with '<' closes it.
// Messages longer than 900 bytes are replaced by "[debug string too long!]".
#include <cstdint>

constexpr int TARQ_DEBUG_STRING_SIZE = 4096;

int tarq_debug(const char* text);

// Where the log stands: whether the next message starts a line (0 or 1),
// and how many steps are open.
int32_t tarq_log_at_line_start();
int32_t tarq_log_indentation();
// The log as at program start: at a line start, no step open.
void tarq_log_reset();
