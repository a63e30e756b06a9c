#pragma once
// The engine log "log.txt": stamped lines, indented by nested steps.
// A message that begins with '>' opens a step, one that begins with '<' closes it.

constexpr int TARQ_DEBUG_STRING_SIZE = 4096;
extern char tarq_debug_string[TARQ_DEBUG_STRING_SIZE];

int tarq_debug(const char* text);
