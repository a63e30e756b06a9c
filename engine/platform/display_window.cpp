// The second window on another display: counting displays, choosing one by
// name and mode, and opening the borderless window there; the desktop's and
// the window's sizes, and the flip and texture draw that do nothing.
#include "engine/platform/display_window.h"

#include <SDL.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "engine/config.h"
#include "engine/log_format.h"
#include "engine/platform/window.h"
#include "engine/tarq.h"

namespace {

bool has_mode(int display, int32_t w, int32_t h) {
  for (int m = 0; m < SDL_GetNumDisplayModes(display); m++) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(display, m, &mode) == 0 && mode.w == w && mode.h == h) return true;
  }
  return false;
}

bool name_matches(int display, const char* pattern) {
  char name[256] = "";
  if (const char* n = SDL_GetDisplayName(display)) snprintf(name, sizeof(name), "%s", n);
  for (char* p = name; *p; p++) *p = static_cast<char>(tolower(static_cast<unsigned char>(*p)));
  if (strstr(name, pattern)) return true;
  if (strcmp(pattern, "looking") == 0)
    return strstr(name, "holoplay") || strstr(name, "generic pnp monitor") || strstr(name, "lkg");
  return false;
}

}  // namespace

int32_t tarq_num_video_displays() { return SDL_GetNumVideoDisplays(); }

int32_t tarq_choose_display(const char* pattern, int32_t w, int32_t h) {
  const int displays = SDL_GetNumVideoDisplays();
  if (displays < 2) return -1;
  if (cconfig.ext_display > 0) return cconfig.ext_display;
  for (int round = 0; round < 2; round++) {
    for (int d = displays - 1; d >= 0; d--) {
      if (!has_mode(d, w, h)) continue;
      if (round == 0 && pattern && !name_matches(d, pattern)) continue;
      return d;
    }
  }
  return -1;
}

int32_t tarq_open_display(int32_t index, int32_t w, int32_t h) {
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(index, &bounds) != 0) return -1;
  if (w == 0 || h == 0) {
    w = bounds.w;
    h = bounds.h;
  }
  tarq_logf("tarq_open_display: %d %d (%d %d)\n", bounds.x, bounds.y, w, h);
  if (tarq_window.sdl_window_display) SDL_DestroyWindow(tarq_window.sdl_window_display);
  tarq_window.sdl_window_display =
      SDL_CreateWindow("", bounds.x, bounds.y, w, h, SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE);
  return tarq_window.sdl_window_display ? 0 : -1;
}

// The desktop's and the window's sizes, and the flip that presenting makes unnecessary.
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

// The texture draw: no operation.
int32_t tarq_draw_texture(int32_t n) { return n; }
