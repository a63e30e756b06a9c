#pragma once
// Choosing, showing and hiding the engine's mouse cursor, and drawing it at
// the mouse. The player draws its own cursor.
#include <cstdint>

struct tarq_bitmap;

void tarq_set_mouse_bmp(tarq_bitmap* b);
void tarq_set_mouse_focus(int32_t x, int32_t y);
void tarq_draw_mouse_cursor(tarq_bitmap* b);
void tarq_hide_mouse();
void tarq_show_mouse();
