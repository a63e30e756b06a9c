// The desktop's and the window's sizes, and the flip that presenting makes
// unnecessary.
#include "engine/platform/window_size.h"

#include "engine/platform/window.h"
#include "engine/tarq.h"

void tarq_flip_screen() {}

int32_t tarq_get_desktop_width() { return desktop_w; }

int32_t tarq_get_desktop_height() { return desktop_h; }

int32_t tarq_get_window_width() {
  if (tarq_screen_mode) return desktop_w;
  return tarq_screen ? tarq_screen->width : 0;
}

int32_t tarq_get_window_height() {
  if (tarq_screen_mode) return desktop_h;
  return tarq_screen ? tarq_screen->height : 0;
}
