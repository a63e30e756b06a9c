#pragma once
// Conversions between glyph-code text and UTF-8. With a null `out` the result
// is a new block from the tracked allocator that the caller frees.
#include <cstdint>

// Glyph codes to UTF-8; `out` needs 7 * length + 1 bytes. keep_capitals 0
// turns 'A'..'Z' into the small-letter glyphs' characters.
char* convert_glyphs_to_escaped_ex(const uint8_t* text, char* out, int keep_capitals);
char* convert_glyphs_to_escaped(const uint8_t* text, char* out);
// UTF-8 to glyph codes; `out` needs length + 1 bytes.
uint8_t* convert_escaped_to_glyphs(const char* text, uint8_t* out);
