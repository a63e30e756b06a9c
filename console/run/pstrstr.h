#pragma once
// Searching a line of code past its strings. The preprocessor applies the
// same test inline, so nothing in the player calls it.
#include <cstdint>

// The first match of pattern in the NUL-terminated text none of whose bytes
// is marked in mask (one byte per text byte, non-zero inside a string), or
// null. An empty pattern matches at the start of the text.
const char* pstrstr(const char* text, const char* pattern, const uint8_t* mask);
