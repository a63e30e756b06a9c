#pragma once
// The size limits of a cart's code, and the result record that the checks on
// program text (limits, include lines, preprocessing) hand to the run loop,
// which prints a refusal's lines in colour 6 and does not run the program.
#include <cstdint>

constexpr int TOVO_CHAR_LIMIT = 65536;
constexpr int TOVO_TOKEN_LIMIT = 8192;

struct tovo_text_result {
  int32_t status;    // 0 accepted, otherwise refused
  int32_t tokens;    // counted tokens (set by the limit check)
  char message[32];  // first line of a refusal, e.g. "program too large"
  char detail[32];   // second line, with its newline, or empty
};

// Checks the include-flattened code: more than 65536 characters refuse it with
// "program exceeds char limit", then more than 8192 counted tokens with
// "program too large". Returns result->status.
int tovo_check_code_limits(const char* code, tovo_text_result* result);

// Helpers for the checks: an accepted result, and a refusal.
void tovo_text_accept(tovo_text_result* result);
void tovo_text_refuse(tovo_text_result* result, const char* message);
