// Whether the application is in the foreground.
#include <SDL.h>

#include "engine/config.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "engine/platform/video.h"

int tarq_is_app_active() {
  // Without a window system (framebuffer or headless) there is nothing to
  // lose focus to.
  if (cconfig.framebuffer || cconfig.headless) return 1;
  if (tarq_system_is_active()) return 1;
  if (tarq_window.sdl_window && SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetKeyboardFocus() == tarq_window.sdl_window)
    return 1;
  return 0;
}
