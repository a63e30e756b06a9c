#pragma once
// The engine settings record: filled from the defaults, the command-line
// options and "config.txt". The config module also keeps `cconfig0`, the copy
// taken right after the file was read (before the second option pass); the
// file is written back from it.
#include <cstdint>

#include "engine/io/path.h"

struct tarq_file;

struct tarq_config {
  int32_t loaded;  // 1 once a file was read
  int32_t screen_width, screen_height;
  int32_t word32;  // set to 32 by the defaults, read by nobody
  int32_t window_width, window_height;
  int32_t windowed;
  int32_t sound_volume;         // 0..256
  int32_t music_volume;         // 0..256
  int32_t foreground_sleep_ms;  // 0..200
  int32_t background_sleep_ms;  // 0..200
  int32_t emulate_textinput;
  int32_t frameless;
  int32_t window_x, window_y;  // -1: the window manager decides
  int32_t display;             // display index, -1 none
  int32_t fullscreen_width, fullscreen_height;
  int32_t mix_buffer_size;  // samples, 512..8192
  int32_t windib;
  int32_t opengl_blit;
  int32_t show_fps;
  int32_t pod_compression;
  int32_t large_window;
  int32_t console_mode;       // set by the player at start-up, read by the mixer
  int32_t rmb_key;            // scancode held for a right click, 0 none
  int32_t fullscreen_method;  // 0 maximised, 1 desktop-sized borderless, 2 hardware
  int32_t software_blit;
  int32_t preblit_scale;
  int32_t opengl_context;
  int32_t pixel_perfect;  // -1 automatic
  int32_t keep_aspect;
  int32_t draw_rect_x, draw_rect_y, draw_rect_w, draw_rect_h;
  int32_t sessions;
  int32_t timeout;
  int32_t headless;
  int32_t framebuffer;
  int32_t perf_timing;
  char home_path[TARQ_PATH_MAX];     // the application folder; empty: the default
  char desktop_path[TARQ_PATH_MAX];  // ends with '/' or is empty
  int32_t deferred_dealloc;
  int32_t ext_display;
  int32_t cabinet;
  int32_t log_system_info;
  int32_t accept_future;            // copied from the player's own settings
  char config_path[TARQ_PATH_MAX];  // the file that was read
  char config_sha1[41];             // its SHA-1 as read, 40 hex digits
};

extern tarq_config cconfig;

// The copy the file is written back from (cconfig0): start-up keeps the
// settings as they stand right after the file was read; a window size the
// user chose by resizing goes into both the settings and the copy.
void tarq_config_keep_as_read();
const tarq_config& tarq_config_as_read();
void tarq_config_keep_window_size(int32_t w, int32_t h);

// The marker file that selects the arcade-cabinet defaults.
constexpr const char* TARQ_CABINET_MARKER = "/boot/config.txt.picade-preinstall";

void tarq_config_default();
void tarq_config_load();
// Writes "config.txt" in the application folder: TARQ_CONFIG_SAVED,
// TARQ_CONFIG_CHANGED_BY_HAND (a file changed on disk since it was read is
// left as it is) or TARQ_CONFIG_NOT_WRITTEN (the old file stays).
enum : int { TARQ_CONFIG_SAVED = 0, TARQ_CONFIG_NOT_WRITTEN = 1, TARQ_CONFIG_CHANGED_BY_HAND = 2 };
int tarq_config_save();

// The application's hooks for the lines of "config.txt" the engine does not
// take, and for appending its own lines when the file is written.
typedef int (*tarq_load_config_func)(const char* line);
typedef int (*tarq_save_config_func)(tarq_file* f);
void tarq_set_load_config_func(tarq_load_config_func fn);
void tarq_set_save_config_func(tarq_save_config_func fn);
