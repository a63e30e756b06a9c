#pragma once
// The code text record: one editable program text in glyph codes, with a
// cursor, a selection, a scroll position, a search bar state and an undo
// stack of snapshots (the text with its NUL, then cursor, selection start,
// selection end, scroll x, scroll y and remembered x).
#include <cstdint>

#include "engine/data/undo.h"

struct tarq_file;
struct tarq_pod;
struct tarq_bitmap;
struct tarq_gui_element;
struct tarq_ctext;

using tarq_ctext_draw_func = void (*)(tarq_bitmap* target, int32_t x, int32_t y, int32_t w, int32_t h,
                                      tarq_ctext* ctext);

constexpr int TARQ_CTEXT_TRAILER = 24;  // six int32 view fields after the text

struct tarq_ctext {
  uint8_t* text;      // NUL-terminated glyph codes
  tarq_file* buffer;  // owns the text, or null when the caller does
  int32_t capacity;   // longest text, without the NUL
  int32_t reserved0;
  int32_t search_active;
  int32_t search_by_line;
  char search_text[256];
  int32_t search_highlight;
  int32_t search_cursor;
  int32_t reserved1;
  tarq_gui_element* element;  // the element that shows the record, or null
  void* reserved2;
  tarq_pod* font;  // glyph bitmaps by code; null: the second built-in font
  tarq_ctext_draw_func draw_override;
  int32_t char_width;
  int32_t line_height;
  int32_t tab_width;  // pixels between tab stops; below 4 counts as 4
  int32_t scroll_x, scroll_y;
  int32_t cursor_colour;
  int32_t keep_capitals;
  int32_t cursor;
  int32_t reserved3;
  int32_t select_start, select_end;
  int32_t remembered_x;
  int32_t reserved4;
  int32_t snapshot_line;
  tarq_undo_stack* undo;
};

// Width and height of the last element seen by the scrolling, for records without one.
extern int32_t last_ctext_width;
extern int32_t last_ctext_height;

tarq_ctext* tarq_create_ctext(uint8_t* text, int32_t capacity);
void tarq_destroy_ctext(tarq_ctext* ctext);

int ctext_get_line_number_for_pos(const uint8_t* text, int32_t pos);
int ctext_get_pos_for_line_number(const uint8_t* text, int32_t line);
void tarq_get_ctextfield_cursor_pos(const tarq_ctext* ctext, int32_t* x, int32_t* y);
int tarq_get_ctextfield_pos_for_cursor(const tarq_ctext* ctext, int32_t x, int32_t y);
void ctext_bound_scrolling_to_cursor(tarq_ctext* ctext, int32_t margin);

int get_char_width(const tarq_ctext* ctext, uint8_t code, int32_t x);
int get_line_cpos(const tarq_ctext* ctext);
int get_line_x(const tarq_ctext* ctext);
int line_x_to_cpos(const tarq_ctext* ctext, int32_t line_start, int32_t x);

void tarq_backup_ctext(tarq_ctext* ctext);
void tarq_backup_ctext_allow_view(tarq_ctext* ctext);
void tarq_backup_ctext_if_editing_newline(tarq_ctext* ctext);
int restore_undo_ctext_state(tarq_file* snapshot, tarq_ctext* ctext);
