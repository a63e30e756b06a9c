#pragma once
// Editing a code text record: inserting and removing text, typing with undo
// grouping, moving and duplicating lines, line comments, word steps, word and
// line selection, text, line and function search, the block-opening test and
// copy and paste through the host clipboard. No operation writes a text
// longer than the record's capacity.
#include <cstdint>

#include "engine/data/ctext.h"

// The text's length; the start and the end (its '\n' or NUL) of the line
// that holds `pos`; the cursor at `pos` with the selection collapsed onto it.
int32_t ctext_length(const tarq_ctext* ctext);
int32_t ctext_line_start(const uint8_t* text, int32_t pos);
int32_t ctext_line_end(const uint8_t* text, int32_t pos);
void ctext_collapse(tarq_ctext* ctext, int32_t pos);

// Character categories: 1 word (letters, digits, '_', codes of 128 and up),
// 2 punctuation, 0 anything else.
int get_char_cat(uint8_t code);
// The category of the last character typed through ctext_insert_character
// (0 before any): a word character typed after another joins its undo step.
int32_t ctext_last_insert_char_cat();
void ctext_forget_insert_char_cat();  // back to 0

// Inserts at `pos`, dropping carriage returns; nothing when the result would
// pass the capacity. With move_cursor the cursor moves past the insertion and
// the selection collapses onto it.
void ctext_insert_text_ex(tarq_ctext* ctext, const uint8_t* text, int32_t pos, int move_cursor);
void ctext_insert_text(tarq_ctext* ctext, const uint8_t* text, int32_t pos);
void ctext_remove_text(tarq_ctext* ctext, int32_t pos, int32_t count);
void ctextfield_delete_selected(tarq_ctext* ctext);
void ctext_insert_character(tarq_ctext* ctext, uint8_t code);

void ctext_move_line(tarq_ctext* ctext, int32_t direction);
void ctext_duplicate_line(tarq_ctext* ctext);
void toggle_block_comment(tarq_ctext* ctext);

// Signed distance of one left (-1) or right (+1) cursor step; a word with ctrl.
int32_t calculate_skip_steps(const tarq_ctext* ctext, int32_t direction);
void ctext_select_from_double_click(tarq_ctext* ctext, int32_t pos);
void ctext_select_from_triple_click(tarq_ctext* ctext, int32_t pos);

void ctext_search_for_string(tarq_ctext* ctext, int32_t direction);
void ctext_search_for_line(tarq_ctext* ctext);
// Moves the cursor to the next (direction > 0) or previous function definition.
void ctext_search_for_bookmark(tarq_ctext* ctext, int32_t direction);
// 1 when the text before the cursor opens a block closed by "end", 2 by "until", else 0.
int start_of_block(const tarq_ctext* ctext);

void ctextfield_copy(tarq_ctext* ctext, int preemptive);
void ctextfield_paste(tarq_ctext* ctext);
