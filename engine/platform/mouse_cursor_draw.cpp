// Choosing, showing and hiding the mouse cursor, and drawing it at the mouse.
#include "engine/platform/mouse_cursor_draw.h"

#include "engine/data/gfx.h"
#include "engine/platform/events.h"

void tarq_set_mouse_bmp(tarq_bitmap* b) { tarq_cursor.tarq_current_mouse_bmp = b; }

void tarq_set_mouse_focus(int32_t x, int32_t y) {
  tarq_cursor.mouse_focus_x = x;
  tarq_cursor.mouse_focus_y = y;
}

void tarq_hide_mouse() { tarq_cursor.mouse_visible = 0; }
void tarq_show_mouse() { tarq_cursor.mouse_visible = 1; }

void tarq_draw_mouse_cursor(tarq_bitmap* b) {
  if (!tarq_cursor.mouse_visible || !b || !tarq_cursor.tarq_current_mouse_bmp) return;
  int32_t x = 0, y = 0;
  tarq_get_mouse(&x, &y, nullptr);
  tarq_bitmap* c = tarq_cursor.tarq_current_mouse_bmp;
  tarq_draw_sprite(c, b, 0, 0,
                   static_cast<int32_t>(static_cast<uint32_t>(x) - static_cast<uint32_t>(tarq_cursor.mouse_focus_x)),
                   static_cast<int32_t>(static_cast<uint32_t>(y) - static_cast<uint32_t>(tarq_cursor.mouse_focus_y)),
                   c->width, c->height);
}
