// Stand-in for the event pump, keys and mouse: it sleeps as configured and
// handles the platform events that end the program.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "engine/events.h"
#include "engine/host.h"
#include "engine/tarq.h"

int32_t tarq_system_active = 0;

static int32_t clamp_sleep(int32_t ms) { return ms < 0 ? 0 : (ms > 200 ? 200 : ms); }

static void handle_window_event(const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_HIDDEN:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_FOCUS_LOST:
      tarq_system_active = 0;
      break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      tarq_system_active = 1;
      break;
    case SDL_WINDOWEVENT_CLOSE:
      tarq_quit = 1;
      snprintf(tarq_debug_string, sizeof(tarq_debug_string), "window closed (%d)\n", (int)e.event);
      tarq_debug(tarq_debug_string);
      break;
    default:
      break;
  }
}

int tarq_handle_system_messages() {
  int32_t sleep_ms = (cconfig.framebuffer || tarq_is_app_active()) ? cconfig.foreground_sleep_ms
                                                                   : cconfig.background_sleep_ms;
  tarq_delay(clamp_sleep(sleep_ms));
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return 0;
  SDL_ShowCursor(0);
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) {
      tarq_exit();
      exit(0);
    }
    if (event.type == SDL_WINDOWEVENT) handle_window_event(event.window);
  }
  return 0;
}

int tarq_keys_init() { return 0; }
int tarq_keys_exit() { return 0; }
int tarq_mouse_init() { return 0; }

// There is no back page yet: the position and buttons read as 0.
void tarq_get_mouse(int32_t* x, int32_t* y, int32_t* buttons) {
  if (x) *x = 0;
  if (y) *y = 0;
  if (buttons) *buttons = 0;
}
