// Start and shutdown of the video system, and the per-frame present.
#include <SDL.h>

#include "engine/config.h"
#include "engine/platform/events.h"
#include "engine/platform/video.h"

tarq_window_state tarq_window;

int tarq_video_init() {
  tarq_video.tarq_video_palette = tarq_create_palette();
  tarq_video.tarq_black_palette = tarq_create_palette();
  if (tarq_video.tarq_video_palette)
    for (int i = 0; i < 256; i++)
      tarq_video.tarq_video_palette->rgb[i][0] = tarq_video.tarq_video_palette->rgb[i][1] =
          tarq_video.tarq_video_palette->rgb[i][2] = static_cast<uint8_t>(i);
  if (!cconfig.headless) {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
      tarq_window.desktop_w = mode.w;
      tarq_window.desktop_h = mode.h;
    }
  }
  return 0;
}

int tarq_video_exit() {
  tarq_window.tarq_back_page = tarq_destroy_bitmap(tarq_window.tarq_back_page);
  tarq_destroy_mouse_bmp();
  tarq_destroy_present_pages();
  tarq_video.tarq_video_palette = tarq_destroy_palette(tarq_video.tarq_video_palette);
  tarq_video.tarq_black_palette = tarq_destroy_palette(tarq_video.tarq_black_palette);
  tarq_destroy_video_window();
  tarq_video.tarq_screen = nullptr;
  return 0;
}

void tarq_blit_back_page() {
  if (!tarq_window.tarq_back_page) return;
  tarq_present_bitmap(tarq_window.tarq_back_page, 1);
}
