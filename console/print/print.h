#pragma once
// The print engine: text with control codes drawn into a draw target. Bytes
// 16-255 are glyphs; bytes 1-15 move the cursor, set colours, repeat or
// decorate glyphs, switch fonts, run "^" commands (code 6), wait for frames,
// poke memory or play a sound described by the text (code 7). There is one
// print context, so a print that waits goes on over later ticks.
#include <cstdint>

struct tarq_bitmap;

// tovo_print_text mode bits.
constexpr int32_t TOVO_PRINT_WRAP = 0x10;
constexpr int32_t TOVO_PRINT_SCROLL = 0x20;

// Prints length bytes of text (a copy is kept) in colour (low nibble the
// foreground, high nibble the background). 0 when the whole text was
// printed, 1 when printing stopped to wait for frames.
int32_t tovo_print_text(tarq_bitmap* target, const char* text, int32_t length, int32_t mode, int32_t colour);
// Once a tick while a print waits: counts a waiting frame down (1), or
// prints on: 0 when the text is done, 1 when it stops again. 0 with no
// waiting text.
int continue_print_text();
// Zeroes the context (start-up).
void init_print_context();
// Re-reads the print attribute registers from TOVO_REG_PRINT_STYLE and the
// font.
void reset_print_context();
// Drops a waiting text.
void destroy_print_buffer();
