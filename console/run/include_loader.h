#pragma once
// Reading the text that an include line names. The player refuses include
// lines (console/run/include.h) and never reads them, so nothing calls this.
#include <cstdint>

struct tovo_cart;

// Reads a cart file of any format: a new cart (destroyed with
// tarq_destroy_tovo_cart), or null when the file is no cart.
using tovo_include_cart_reader = tovo_cart* (*)(const char* path);

constexpr int32_t TOVO_INCLUDE_TEXT_MAX = 131071;  // bytes read of a plain text file

// Resolves "#include name" or "#include name:t" (t a hexadecimal code tab
// number; blanks and tabs before the line and blanks after the name are
// ignored). A name that begins with "/" is found in the console's root
// folder, any other in the current cart's folder (the root folder and the
// current folder when no cart file is current). A cart file gives code tab t
// ("could not find tab %d" when it has no such tab), or its whole code;
// any other file is read as plain text: at most TOVO_INCLUDE_TEXT_MAX bytes,
// a UTF-8, UTF-16 or UTF-32 byte-order mark recognised, one byte per
// character (the low byte of a wider one), carriage returns dropped.
// Returns 0 with the text in out (out_size bytes, NUL included); 1 when the
// line is no include line, the path does not fit, the file cannot be read,
// the tab is missing, or the text does not fit out (out is then empty).
int tovo_load_include(const char* line, tovo_include_cart_reader read_cart, char* out, int32_t out_size);
