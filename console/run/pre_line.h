#pragma once
// One line of code inside the preprocessor: its text, a mask that marks the
// bytes of string tokens (no rule matches there), and the line's flags.
#include <cstdint>

struct tovo_pre_line {
  char* text;     // NUL-terminated, capacity + 1 bytes
  uint8_t* mask;  // 1 for every byte inside a string token
  char* scratch;  // room to rebuild a line: capacity + 1 bytes
  uint8_t* scratch_mask;
  int32_t length;
  int32_t capacity;
  bool print_pending;  // the line had a "?": a ")" closes the print
  bool has_then;
  bool has_do;
};

// Position of the first match of pattern at or after from that touches no
// string byte, or -1.
int32_t tovo_pre_find(const tovo_pre_line* line, const char* pattern, int32_t from);

// "!=" becomes "~=" everywhere outside strings.
void tovo_pre_replace_not_equal(tovo_pre_line* line);

// Rewrites every compound assignment ("x += 1" to "x = x + (1)").
// Returns false when the line outgrows its capacity.
bool tovo_pre_rewrite_compound(tovo_pre_line* line);

// Rewrites a one-line "if (c) stmt" or "while (c) stmt".
// Returns false when the line outgrows its capacity.
bool tovo_pre_rewrite_if_while(tovo_pre_line* line);
