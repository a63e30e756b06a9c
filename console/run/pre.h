#pragma once
// The preprocessor: turns the cart dialect's shorthand into the runtime's
// syntax ("?" print, "!=", compound assignments, one-line if and while),
// drops comments, leaves strings untouched and keeps every newline so that
// line numbers stay valid for error reports.
#include <cstdint>

#include "console/run/token.h"

constexpr int32_t TOVO_PRE_OUT_SIZE = 262144;
// A line of more tokens (comments aside) is rewritten in segments of this many
// tokens, each segment as a line of its own: the newlines of its comments stay
// with it, but it ends in no newline of its own. So every rule sees one segment
// at a time: a "?" print is closed at the end of its segment, a compound
// assignment's right-hand side ends there, and each segment may have its own
// one-line if or while.
constexpr int32_t TOVO_PRE_SEGMENT_TOKENS = 16384;

// Rewrites the NUL-terminated text in into out (out_size bytes, NUL included).
// Returns 0 when done; 1 when the rewritten text would not fit, refused with
// "program too large" (out is then emptied, never cut short).
int tovo_preprocess(const char* in, char* out, int32_t out_size, tovo_text_result* result);
