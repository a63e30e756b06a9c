#pragma once
// Include directives. This player does not expand them: a line that begins
// (after blanks and tabs) with "#include " is refused, so that a cart that
// needs outside source files stops instead of running without them.
#include <cstdint>

#include "console/run/token.h"

constexpr int TOVO_INCLUDES_MAX = 257;
constexpr int TOVO_INCLUDE_NAME_SIZE = 256;

// Copies text into out (out_size bytes, NUL included) line by line.
// Returns 0 when it was copied whole; 1 when an include line was refused with
// "can not #include" (out then holds the lines before it); 2 when the text does
// not fit out, refused with "program exceeds char limit" (out is emptied).
int tovo_flatten_includes(const char* text, char* out, int32_t out_size, tovo_text_result* result);

// The table of included files that error reports use to map program lines back
// to files. Nothing expands includes here, so it stays empty.
int last_included_files();
int32_t included_start(int i);  // 0 outside 0..count-1
int32_t included_end(int i);
const char* included_name(int i);  // null outside 0..count-1
