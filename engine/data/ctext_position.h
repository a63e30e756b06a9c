#pragma once
// Positions of a code text that only an editor asks for: the character under
// a pixel position and the cursor's column. Line numbers, the cursor's pixel
// position and scrolling are the engine's (engine/data/ctext_cursor.h).
#include <cstdint>

#include "engine/data/ctext.h"
#include "engine/data/ctext_cursor.h"

int tarq_get_ctextfield_pos_for_cursor(const tarq_ctext* ctext, int32_t x, int32_t y);

int get_line_cpos(const tarq_ctext* ctext);
int get_line_x(const tarq_ctext* ctext);
int line_x_to_cpos(const tarq_ctext* ctext, int32_t line_start, int32_t x);
