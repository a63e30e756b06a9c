// The engine's mouse-cursor bitmap: a 33x33 cross-hair.
#include "engine/platform/events.h"
#include "engine/tarq.h"

tarq_mouse_cursor tarq_cursor = {nullptr, nullptr, 1, 16, 16};

tarq_bitmap* tarq_create_mouse_bmp() {
  tarq_bitmap* b = tarq_create_bitmap(33, 33, 32);
  if (!b) return nullptr;
  const uint32_t white = 0xFFFFFFFF, grey = 0xFFA0A0A0, clear = 0;
  tarq_rectfill(b, 15, 8, 17, 24, white);
  tarq_rectfill(b, 8, 15, 24, 17, white);
  tarq_vline(b, 16, 9, 23, grey);
  tarq_hline(b, 9, 23, 16, grey);
  tarq_rectfill(b, 11, 11, 21, 21, clear);
  tarq_vline(b, 16, 11, 21, white);
  tarq_hline(b, 11, 21, 16, white);
  tarq_rectfill(b, 14, 14, 18, 18, clear);
  return b;
}

int tarq_mouse_init() {
  tarq_destroy_mouse_bmp();
  tarq_cursor.tarq_mouse_bmp = tarq_create_mouse_bmp();
  tarq_cursor.tarq_current_mouse_bmp = tarq_cursor.tarq_mouse_bmp;
  tarq_cursor.mouse_focus_x = tarq_cursor.mouse_focus_y = 16;
  return 0;
}

void tarq_destroy_mouse_bmp() {
  if (tarq_cursor.tarq_current_mouse_bmp == tarq_cursor.tarq_mouse_bmp) tarq_cursor.tarq_current_mouse_bmp = nullptr;
  tarq_cursor.tarq_mouse_bmp = tarq_destroy_bitmap(tarq_cursor.tarq_mouse_bmp);
}
