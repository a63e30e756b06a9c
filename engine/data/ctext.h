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

tarq_ctext* tarq_create_ctext(uint8_t* text, int32_t capacity);
void tarq_destroy_ctext(tarq_ctext* ctext);

// Pushes the record's text and view fields onto its undo stack; `compare` as
// in tarq_push_undo_state.
void tarq_push_ctext_snapshot(tarq_ctext* ctext, int compare);
