// Descriptions of the video system for the log, and the choice of a display.
#include <SDL.h>

#include <cctype>
#include <cstring>

#include "engine/config.h"
#include "engine/log_format.h"
#include "engine/platform/window.h"

static void log_renderer_info(const SDL_RendererInfo& info) {
  tarq_logf("  Renderer %s:\n", info.name ? info.name : "?");
  tarq_logf("    Flags: 0x%8.8X", static_cast<unsigned>(info.flags));
  const char* sep = " (";
  if (info.flags & SDL_RENDERER_PRESENTVSYNC) {
    tarq_logf("%sPresentVSync", sep);
    sep = " | ";
  }
  if (info.flags & SDL_RENDERER_ACCELERATED) {
    tarq_logf("%sAccelerated", sep);
    sep = " | ";
  }
  tarq_debug(sep[1] == '|' ? ")\n" : "\n");
  tarq_logf("    Texture formats (%u): ", static_cast<unsigned>(info.num_texture_formats));
  for (Uint32 i = 0; i < info.num_texture_formats && i < 16; i++) {
    const char* name = SDL_GetPixelFormatName(info.texture_formats[i]);
    if (!name || strcmp(name, "SDL_PIXELFORMAT_UNKNOWN") == 0) name = "Unknwon";
    tarq_logf("%s%s", i ? ", " : "", name);
  }
  tarq_debug("\n");
  if (info.max_texture_width || info.max_texture_height)
    tarq_logf("    Max Texture Size: %dx%d\n", info.max_texture_width, info.max_texture_height);
}

void tarq_log_renderer(SDL_Renderer* r) {
  SDL_RendererInfo info;
  if (r && SDL_GetRendererInfo(r, &info) == 0) log_renderer_info(info);
}

void log_system_info() {
  const int drivers = SDL_GetNumVideoDrivers();
  if (drivers <= 0) {
    tarq_debug("No built-in video drivers\n");
  } else {
    tarq_debug("Built-in video drivers:");
    for (int i = 0; i < drivers; i++) tarq_logf(" %d %s", i, SDL_GetVideoDriver(i));
    tarq_debug("\n");
  }
  const char* current = SDL_GetCurrentVideoDriver();
  tarq_logf("Current video driver: %s\n", current ? current : "(none)");
  const int renderers = SDL_GetNumRenderDrivers();
  if (renderers <= 0) {
    tarq_debug("No built-in render drivers\n");
  } else {
    tarq_debug("Built-in render drivers:\n");
    for (int i = 0; i < renderers; i++) {
      SDL_RendererInfo info;
      if (SDL_GetRenderDriverInfo(i, &info) == 0) log_renderer_info(info);
    }
  }
  const int displays = SDL_GetNumVideoDisplays();
  if (displays <= 0) {
    tarq_debug("No displays found\n");
    return;
  }
  tarq_debug("Displays:\n");
  for (int d = 0; d < displays; d++) {
    const char* name = SDL_GetDisplayName(d);
    tarq_logf("[%s]\n ", name ? name : "");
    for (int m = 0; m < SDL_GetNumDisplayModes(d); m++) {
      SDL_DisplayMode mode;
      if (SDL_GetDisplayMode(d, m, &mode) != 0) continue;
      tarq_logf("  display_mode %d: %d x %d (%d) %s\n", m, mode.w, mode.h, mode.refresh_rate,
                SDL_GetPixelFormatName(mode.format));
    }
  }
}

int32_t tarq_num_video_displays() { return SDL_GetNumVideoDisplays(); }

static bool has_mode(int display, int32_t w, int32_t h) {
  for (int m = 0; m < SDL_GetNumDisplayModes(display); m++) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(display, m, &mode) == 0 && mode.w == w && mode.h == h) return true;
  }
  return false;
}

static bool name_matches(int display, const char* pattern) {
  char name[256] = "";
  if (const char* n = SDL_GetDisplayName(display)) snprintf(name, sizeof(name), "%s", n);
  for (char* p = name; *p; p++) *p = static_cast<char>(tolower(static_cast<unsigned char>(*p)));
  if (strstr(name, pattern)) return true;
  if (strcmp(pattern, "looking") == 0)
    return strstr(name, "holoplay") || strstr(name, "generic pnp monitor") || strstr(name, "lkg");
  return false;
}

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
  if (sdl_window_display) SDL_DestroyWindow(sdl_window_display);
  sdl_window_display = SDL_CreateWindow("", bounds.x, bounds.y, w, h, SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE);
  return sdl_window_display ? 0 : -1;
}

int32_t tarq_video_driver_offered(const char* name) {
  for (int i = 0; i < SDL_GetNumVideoDrivers(); i++) {
    const char* d = SDL_GetVideoDriver(i);
    if (d && name && strcmp(d, name) == 0) return 1;
  }
  return 0;
}
