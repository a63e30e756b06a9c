// The engine's mouse-cursor bitmap: a 33x33 cross-hair, and drawing it.
#include "engine/platform/events.h"
#include "engine/tarq.h"

tarq_bitmap* tarq_mouse_bmp = nullptr;
tarq_bitmap* tarq_current_mouse_bmp = nullptr;
int32_t mouse_visible = 1;
static int32_t focus_x = 16, focus_y = 16;

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
  tarq_mouse_bmp = tarq_create_mouse_bmp();
  tarq_current_mouse_bmp = tarq_mouse_bmp;
  focus_x = focus_y = 16;
  return 0;
}

void tarq_destroy_mouse_bmp() {
  if (tarq_current_mouse_bmp == tarq_mouse_bmp) tarq_current_mouse_bmp = nullptr;
  tarq_mouse_bmp = tarq_destroy_bitmap(tarq_mouse_bmp);
}

void tarq_set_mouse_bmp(tarq_bitmap* b) { tarq_current_mouse_bmp = b; }

void tarq_set_mouse_focus(int32_t x, int32_t y) {
  focus_x = x;
  focus_y = y;
}

void tarq_hide_mouse() { mouse_visible = 0; }
void tarq_show_mouse() { mouse_visible = 1; }

void tarq_draw_mouse_cursor(tarq_bitmap* b) {
  if (!mouse_visible || !b || !tarq_current_mouse_bmp) return;
  int32_t x = 0, y = 0;
  tarq_get_mouse(&x, &y, nullptr);
  tarq_bitmap* c = tarq_current_mouse_bmp;
  tarq_draw_sprite(c, b, 0, 0, static_cast<int32_t>(static_cast<uint32_t>(x) - static_cast<uint32_t>(focus_x)),
                   static_cast<int32_t>(static_cast<uint32_t>(y) - static_cast<uint32_t>(focus_y)), c->width,
                   c->height);
}
