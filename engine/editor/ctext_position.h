#pragma once
// Lines and positions of a code text: line numbers, pixel positions of the
// cursor, and scrolling that keeps the cursor in view. Only an editor asks.
#include <cstdint>

#include "engine/data/ctext.h"

// Width and height of the last element seen by the scrolling, for records without one.
extern int32_t last_ctext_width;
extern int32_t last_ctext_height;

int ctext_get_line_number_for_pos(const uint8_t* text, int32_t pos);
int ctext_get_pos_for_line_number(const uint8_t* text, int32_t line);
void tarq_get_ctextfield_cursor_pos(const tarq_ctext* ctext, int32_t* x, int32_t* y);
int tarq_get_ctextfield_pos_for_cursor(const tarq_ctext* ctext, int32_t x, int32_t y);
void ctext_bound_scrolling_to_cursor(tarq_ctext* ctext, int32_t margin);

int get_char_width(const tarq_ctext* ctext, uint8_t code, int32_t x);
int get_line_cpos(const tarq_ctext* ctext);
int get_line_x(const tarq_ctext* ctext);
int line_x_to_cpos(const tarq_ctext* ctext, int32_t line_start, int32_t x);
