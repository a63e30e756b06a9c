// The desktop's and the window's sizes, and the flip that presenting makes
// unnecessary.
#include "engine/platform/window_size.h"

#include "engine/platform/window.h"
#include "engine/tarq.h"

void tarq_flip_screen() {}

int32_t tarq_get_desktop_width() { return tarq_window.desktop_w; }

int32_t tarq_get_desktop_height() { return tarq_window.desktop_h; }

int32_t tarq_get_window_width() {
  if (tarq_window.tarq_screen_mode) return tarq_window.desktop_w;
  return tarq_video.tarq_screen ? tarq_video.tarq_screen->width : 0;
}

int32_t tarq_get_window_height() {
  if (tarq_window.tarq_screen_mode) return tarq_window.desktop_h;
  return tarq_video.tarq_screen ? tarq_video.tarq_screen->height : 0;
}
