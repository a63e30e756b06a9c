// Descriptions of the video system for the log.
#include <SDL.h>

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

int32_t tarq_video_driver_offered(const char* name) {
  for (int i = 0; i < SDL_GetNumVideoDrivers(); i++) {
    const char* d = SDL_GetVideoDriver(i);
    if (d && name && strcmp(d, name) == 0) return 1;
  }
  return 0;
}
