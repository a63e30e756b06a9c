// The back page and the screen record: sizes, modes and the window icon.
#include <SDL.h>

#include "engine/config.h"
#include "engine/log_format.h"
#include "engine/platform/video.h"
#include "engine/platform/window.h"
#include "engine/tarq.h"

static tarq_bitmap screen_record;

void tarq_set_window_size(int32_t w, int32_t h) {
  cconfig.window_width = w;
  cconfig.window_height = h;
  tarq_state.window_size_given = 1;
}

static void apply_mode_flags(int32_t flags) {
  if (flags & TARQ_SCREEN_USE_SETTING) {
    if (cconfig.windowed) tarq_window.tarq_screen_mode = 0;
  }
  if (flags & TARQ_SCREEN_WINDOWED) tarq_window.tarq_screen_mode = 0;
  if (flags & TARQ_SCREEN_FULLSCREEN) tarq_window.tarq_screen_mode = 1;
}

int tarq_set_screen(int32_t w, int32_t h, int32_t depth, int32_t flags) {
  tarq_logf("tarq_set_screen %d %d %d %x\n", w, h, depth, flags);
  if (w == 0 || h == 0) {
    w = tarq_window.desktop_w;
    h = tarq_window.desktop_h;
    tarq_logf("retrieving desktop resolution: %d %d\n", w, h);
  }
  if (tarq_state.window_size_given) {
    if (cconfig.window_width < TARQ_WINDOW_SIDE_MIN || cconfig.window_height < TARQ_WINDOW_SIDE_MIN) {
      cconfig.window_width = TARQ_DEFAULT_WINDOW_W;
      cconfig.window_height = TARQ_DEFAULT_WINDOW_H;
      tarq_logf(" window size: %d %d\n", cconfig.window_width, cconfig.window_height);
    }
  } else {
    cconfig.window_width = w;
    cconfig.window_height = h;
  }
  const int32_t win_w = cconfig.window_width, win_h = cconfig.window_height;
  apply_mode_flags(flags);

  // A size the desktop could not supply falls back to a small wide page.
  if (w <= 0 || h <= 0) {
    w = 384;
    h = 216;
  }
  if (tarq_window.tarq_back_page &&
      (tarq_window.tarq_back_page->width != w || tarq_window.tarq_back_page->height != h ||
       tarq_window.tarq_back_page->depth != depth))
    tarq_window.tarq_back_page = tarq_destroy_bitmap(tarq_window.tarq_back_page);
  if (!tarq_window.tarq_back_page) tarq_window.tarq_back_page = tarq_create_bitmap(w, h, depth);

  if (!cconfig.framebuffer && !cconfig.headless) {
    const int r = tarq_set_screen_plat(win_w, win_h, w, h, depth, flags);
    if (r != 0) return r;
  }
  screen_record = tarq_bitmap{};
  screen_record.width = win_w;
  screen_record.height = win_h;
  screen_record.depth = depth;
  tarq_reset_clip(&screen_record);
  tarq_video.tarq_screen = &screen_record;
  tarq_logf(" desktop size: %d %d\n", tarq_window.desktop_w, tarq_window.desktop_h);
  tarq_debug("ok\n");
  return 0;
}

void tarq_note_window_resized(int32_t w, int32_t h) {
  if (tarq_window.tarq_screen_mode != 0 || cconfig.headless || cconfig.framebuffer) return;
  if (w < TARQ_WINDOW_SIDE_MIN || h < TARQ_WINDOW_SIDE_MIN || w > TARQ_WINDOW_SIDE_MAX || h > TARQ_WINDOW_SIDE_MAX)
    return;
  if (w == cconfig.window_width && h == cconfig.window_height) return;
  tarq_logf("window resized to %d %d\n", w, h);
  tarq_config_keep_window_size(w, h);
  screen_record.width = w;
  screen_record.height = h;
  tarq_reset_clip(&screen_record);
}

static void remake_window() {
  if (cconfig.headless || cconfig.framebuffer || !tarq_window.tarq_back_page) return;
  tarq_set_screen_plat(cconfig.window_width, cconfig.window_height, tarq_window.tarq_back_page->width,
                       tarq_window.tarq_back_page->height, tarq_window.tarq_back_page->depth, 0);
}

void tarq_toggle_fullscreen() {
  if (cconfig.headless || cconfig.framebuffer) return;
  tarq_window.tarq_screen_mode = !tarq_window.tarq_screen_mode;
  remake_window();
}

void tarq_set_windowed(int32_t flag) {
  if (cconfig.headless || cconfig.framebuffer) return;
  tarq_window.tarq_screen_mode = flag ? 0 : 1;
  remake_window();
}

int32_t tarq_get_windowed() { return tarq_window.tarq_screen_mode == 0; }
