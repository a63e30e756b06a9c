#pragma once
// The preprocessor: turns the cart dialect's shorthand into the runtime's
// syntax ("?" print, "!=", compound assignments, one-line if and while),
// drops comments, leaves strings untouched and keeps every newline so that
// line numbers stay valid for error reports.
#include <cstdint>

#include "console/run/token_limits.h"

constexpr int32_t TOVO_PRE_OUT_SIZE = 262144;

// Rewrites the NUL-terminated text in into out (out_size bytes, NUL included).
// Returns 0 when done; 1 when the rewritten text would not fit, refused with
// "program too large" (out is then emptied, never cut short).
int tovo_preprocess(const char* in, char* out, int32_t out_size, tovo_text_result* result);
