#pragma once
// The command history of the console's prompt: entry 0 is the line being
// typed, entries 1 up the stored commands, newest first. The player has no
// prompt; the boot clears the count and the position.
#include <cstdint>

constexpr int TOVO_HISTORY_ENTRIES = 256;
constexpr int TOVO_HISTORY_LINE = 256;

struct tovo_command_history {
  char line[TOVO_HISTORY_ENTRIES][TOVO_HISTORY_LINE];
  int32_t count;     // stored commands (entries 1..count)
  int32_t position;  // the entry the prompt shows; 0 the line being typed
};

extern tovo_command_history command_history;

// Forgets the stored commands and goes back to the line being typed.
void clear_command_history();
