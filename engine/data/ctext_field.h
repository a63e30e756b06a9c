#pragma once
// The code text field: a GUI element (kind 4) that turns the GUI pass's
// mouse, wheel and key messages into editing of a code text record, with
// drag selection, double- and triple-click selection, a small search bar,
// undo and redo, and drawing with a blinking cursor.
#include <cstdint>

#include "engine/data/ctext.h"

struct tarq_bitmap;
struct tarq_gui_element;

constexpr int32_t TARQ_GUI_CTEXT_FIELD = 4;

// 0 none, 1 after a double click, 2 after a triple click.
int32_t ctextfield_double_clicked();
// Engine time of the last drag update; a drag moves the selection again
// only more than 50 ms after it.
void ctextfield_set_drag_time(int32_t t);
// No click counted, no drag update yet: as at program start.
void ctextfield_reset_clicks();

// Adds the field drawing into `target` and gives it the keyboard focus; the
// caller keeps the record. Returns the element index, -1 when there is no room.
int32_t tarq_gui_add_ctext_field(tarq_bitmap* target, int32_t x, int32_t y, int32_t w, int32_t h, tarq_ctext* ctext);
void vhand_ctextfield(tarq_gui_element* e, int32_t a, int32_t b, int32_t c, int32_t message);
void draw_ctext(tarq_bitmap* b, int32_t x, int32_t y, int32_t w, int32_t h, tarq_ctext* ctext);
