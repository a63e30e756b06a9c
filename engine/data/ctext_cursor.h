#pragma once
// Lines of a code text and where its cursor stands: line numbers and the
// positions they start at, the cursor's pixel position, and scrolling that
// keeps the cursor in view. An error report uses them to show its line.
#include <cstdint>

#include "engine/data/ctext.h"

// Width and height of the last element seen by the scrolling, which count for
// records without one.
void ctext_last_element_size(int32_t* w, int32_t* h);

// The number of newlines among the first pos characters (the 0-based line of
// pos); counting stops at the NUL.
int ctext_get_line_number_for_pos(const uint8_t* text, int32_t pos);
// The index just after the line-th newline (the start of 0-based line
// `line`); the text length when the text has fewer lines.
int ctext_get_pos_for_line_number(const uint8_t* text, int32_t line);

// Pixels a character takes at pixel column x: two cells for a wide glyph, up
// to the next tab stop for a tab, else one cell.
int get_char_width(const tarq_ctext* ctext, uint8_t code, int32_t x);
// The cursor's pixel position from the text's origin; (0, 0) when the text
// ends before the cursor.
void tarq_get_ctextfield_cursor_pos(const tarq_ctext* ctext, int32_t* x, int32_t* y);
// Scrolls so that the cursor is visible: margin 0 scrolls as little as
// possible, another margin puts the cursor's line that many pixels below the
// top (a third of the height for elements taller than 128).
void ctext_bound_scrolling_to_cursor(tarq_ctext* ctext, int32_t margin);
