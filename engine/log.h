#pragma once
// The engine log "log.txt": stamped lines, indented by nested steps.
// A message that begins with '>' opens a step, one that begins with '<' closes it.
// Messages longer than 900 bytes are replaced by "[debug string too long!]".
#include <cstdint>

constexpr int TARQ_DEBUG_STRING_SIZE = 4096;
extern char tarq_debug_string[TARQ_DEBUG_STRING_SIZE];

extern int32_t print_debug_timestamp;   // 1: the next message starts a line
extern int32_t tarq_debug_indentation;  // open steps

int tarq_debug(const char* text);
