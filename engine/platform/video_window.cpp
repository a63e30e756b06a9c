// Making the SDL window: the renderer path with a streaming texture, or the
// software path that writes into the window surface.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "engine/config.h"
#include "engine/log_format.h"
#include "engine/platform/events.h"
#include "engine/platform/present.h"
#include "engine/platform/video.h"
#include "engine/platform/window.h"
#include "engine/tarq.h"

// A copy of the last icon given, so that the caller may free its bitmap.
static SDL_Surface* window_icon = nullptr;

static bool driver_is_x11() {
  const char* d = SDL_GetCurrentVideoDriver();
  return d && strcmp(d, "x11") == 0;
}

static bool display_valid() { return cconfig.display >= 0 && cconfig.display < SDL_GetNumVideoDisplays(); }

static void apply_icon() {
  if (tarq_window.sdl_window && window_icon) SDL_SetWindowIcon(tarq_window.sdl_window, window_icon);
}

void tarq_set_window_icon(tarq_bitmap* icon) {
  if (!icon || icon->depth != 32 || !icon->pixels) return;
  SDL_Surface* s = SDL_CreateRGBSurface(0, icon->width, icon->height, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
  if (!s) return;
  for (int32_t y = 0; y < icon->height; y++)
    memcpy(static_cast<uint8_t*>(s->pixels) + static_cast<int64_t>(y) * s->pitch, icon->rows[y],
           static_cast<size_t>(icon->width) * 4);
  if (window_icon) SDL_FreeSurface(window_icon);
  window_icon = s;
  apply_icon();
}

static void destroy_renderer() {
  if (tarq_window.sdl_texture) SDL_DestroyTexture(tarq_window.sdl_texture);
  if (tarq_window.fps_texture) SDL_DestroyTexture(tarq_window.fps_texture);
  if (tarq_window.sdl_renderer) SDL_DestroyRenderer(tarq_window.sdl_renderer);
  tarq_window.sdl_texture = nullptr;
  tarq_window.fps_texture = nullptr;
  tarq_window.sdl_renderer = nullptr;
  tarq_window.sdl_texture_w = tarq_window.sdl_texture_h = 0;
}

static void destroy_window() {
  destroy_renderer();
  if (tarq_window.sdl_window) SDL_DestroyWindow(tarq_window.sdl_window);
  tarq_window.sdl_window = nullptr;
}

// Steps shared by both paths: position, fullscreen size, and the window.
static void make_window(int32_t win_w, int32_t win_h) {
  const bool fullscreen = tarq_window.tarq_screen_mode == 1;
  int x = 0, y = 0;
  if (!fullscreen) {
    x = cconfig.window_x == -1 ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : cconfig.window_x;
    y = cconfig.window_y == -1 ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : cconfig.window_y;
  }
  if (display_valid()) {
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(cconfig.display, &bounds) == 0) {
      if (x == static_cast<int>(SDL_WINDOWPOS_UNDEFINED)) x = 0;
      if (y == static_cast<int>(SDL_WINDOWPOS_UNDEFINED)) y = 0;
      x += bounds.x;
      y += bounds.y;
      tarq_logf("adding display boundary offset: %d %d (%d %d)\n", bounds.x, bounds.y, x, y);
    }
  }
  if (fullscreen) {
    SDL_DisplayMode mode;
    if (display_valid() && SDL_GetCurrentDisplayMode(cconfig.display, &mode) == 0) {
      tarq_window.desktop_w = mode.w;
      tarq_window.desktop_h = mode.h;
      tarq_logf("fullscreen; updated desktop of display %d to %d %d\n", cconfig.display, tarq_window.desktop_w,
                tarq_window.desktop_h);
    }
    if (cconfig.fullscreen_width && cconfig.fullscreen_height) {
      tarq_window.desktop_w = cconfig.fullscreen_width;
      tarq_window.desktop_h = cconfig.fullscreen_height;
      tarq_logf("overriding with preferred window size: %d %d\n", tarq_window.desktop_w, tarq_window.desktop_h);
    }
    tarq_logf("setting fullscreen window size to %d %d\n", tarq_window.desktop_w, tarq_window.desktop_h);
    win_w = tarq_window.desktop_w;
    win_h = tarq_window.desktop_h;
  }
  destroy_window();
  if (!fullscreen) tarq_logf("setting window size to %d %d\n", win_w, win_h);

  uint32_t flags;
  if (fullscreen) flags = cconfig.fullscreen_method == 0 ? 0x194u : cconfig.fullscreen_method == 1 ? 0x1001u : 0x1u;
  else flags = 0x24u | (cconfig.frameless ? 0x10u : 0u);
  const char* title = tarq_state.window_title_ptr ? tarq_state.window_title_ptr : "";
  tarq_window.sdl_window = SDL_CreateWindow(title, x, y, win_w, win_h, flags);
  if (!tarq_window.sdl_window && !fullscreen && (win_w != TARQ_DEFAULT_WINDOW_W || win_h != TARQ_DEFAULT_WINDOW_H)) {
    // The size config.txt asked for cannot be made: the default one instead,
    // and that is the size written back.
    fprintf(stderr, "config.txt: a window of %d x %d cannot be made (%s); using %d x %d\n", static_cast<int>(win_w),
            static_cast<int>(win_h), SDL_GetError(), static_cast<int>(TARQ_DEFAULT_WINDOW_W),
            static_cast<int>(TARQ_DEFAULT_WINDOW_H));
    tarq_logf("config.txt: a window of %d x %d cannot be made (%s); using %d x %d\n", static_cast<int>(win_w),
              static_cast<int>(win_h), SDL_GetError(), static_cast<int>(TARQ_DEFAULT_WINDOW_W),
              static_cast<int>(TARQ_DEFAULT_WINDOW_H));
    cconfig.window_width = TARQ_DEFAULT_WINDOW_W;
    cconfig.window_height = TARQ_DEFAULT_WINDOW_H;
    cconfig.screen_width = cconfig.screen_height = 0;
    tarq_window.sdl_window = SDL_CreateWindow(title, x, y, TARQ_DEFAULT_WINDOW_W, TARQ_DEFAULT_WINDOW_H, flags);
  }
  if (!tarq_window.sdl_window) tarq_fatal_error("Unable to create window (check the window sizes in config.txt)");
}

int tarq_set_screen_software(int32_t win_w, int32_t win_h, int32_t, int32_t, int32_t, int32_t) {
  if (tarq_state.window_size_given && (win_w < 32 || win_h < 32)) {
    win_w = 640;
    win_h = 480;
    tarq_logf(" tarq_set_screen_software() window size: %d %d\n", win_w, win_h);
  }
  // The window surface is written in memory and handed to the window system
  // as it is: left to itself, SDL may put a renderer texture behind it,
  // which without a graphics card is drawn by a slow software OpenGL.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  make_window(win_w, win_h);
  apply_icon();
  return 0;
}

int tarq_set_screen_plat(int32_t win_w, int32_t win_h, int32_t page_w, int32_t page_h, int32_t depth, int32_t flags) {
  tarq_set_system_active(1);
  if (!driver_is_x11()) {
    tarq_window.tarq_screen_mode = 1;
    if (tarq_window.sdl_window) return 0;
  }
  if (cconfig.software_blit) return tarq_set_screen_software(win_w, win_h, page_w, page_h, depth, flags);

  make_window(win_w, win_h);
  tarq_window.sdl_renderer = SDL_CreateRenderer(tarq_window.sdl_window, -1, SDL_RENDERER_PRESENTVSYNC);
  if (!tarq_window.sdl_renderer) {
    tarq_debug(" could not create sdl_renderer! dropping down to software_blit\n");
    cconfig.software_blit = 1;
    return tarq_set_screen_software(win_w, win_h, page_w, page_h, depth, flags);
  }
  const bool nearest = tarq_get_pixel_perfect();
  tarq_logf("  setting filter to %s (screen_mode %d  back page width: %d)\n", nearest ? "nearest" : "linear",
            tarq_window.tarq_screen_mode, page_w);
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, nearest ? "nearest" : "linear");
  SDL_SetRenderDrawColor(tarq_window.sdl_renderer, 0, 0, 0, 255);
  SDL_RenderClear(tarq_window.sdl_renderer);
  SDL_RenderPresent(tarq_window.sdl_renderer);

  tarq_window.sdl_texture = SDL_CreateTexture(tarq_window.sdl_renderer, SDL_PIXELFORMAT_ARGB8888,
                                              SDL_TEXTUREACCESS_STREAMING, page_w, page_h);
  tarq_window.sdl_texture_w = tarq_window.sdl_texture ? page_w : 0;
  tarq_window.sdl_texture_h = tarq_window.sdl_texture ? page_h : 0;
  tarq_window.fps_texture =
      SDL_CreateTexture(tarq_window.sdl_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, 128, 8);
  if (!tarq_window.fps_bmp) tarq_window.fps_bmp = tarq_create_bitmap(128, 8, 32);

  apply_icon();
  tarq_log_renderer(tarq_window.sdl_renderer);
  if (tarq_window.sdl_window_display && tarq_window.tarq_screen_mode == 1)
    SDL_SetWindowGrab(tarq_window.sdl_window, SDL_TRUE);
  return 0;
}

void tarq_destroy_video_window() {
  destroy_window();
  if (tarq_window.sdl_window_display) SDL_DestroyWindow(tarq_window.sdl_window_display);
  tarq_window.sdl_window_display = nullptr;
  tarq_window.fps_bmp = tarq_destroy_bitmap(tarq_window.fps_bmp);
  if (window_icon) SDL_FreeSurface(window_icon);
  window_icon = nullptr;
}
