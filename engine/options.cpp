// The engine's command-line options. Each option name is compared over the
// length of the table's name only, so an argument matches every name it
// begins with; the last match in table order wins.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/config.h"
#include "engine/log.h"
#include "engine/log_format.h"
#include "engine/tarq.h"

namespace {

enum option_kind { OPT_NUMBER, OPT_TEXT, OPT_RECT, OPT_FLAG };

enum option_id {
  O_WIDTH,
  O_HEIGHT,
  O_SHOW_FPS,
  O_WINDOWED,
  O_WINDOW_X,
  O_WINDOW_Y,
  O_FRAMELESS,
  O_FULLSCREEN_METHOD,
  O_FOREGROUND_SLEEP_MS,
  O_SOUND_VOLUME,
  O_MUSIC_VOLUME,
  O_MIX_BUFFER_SIZE,
  O_SOFTWARE_BLIT,
  O_HOME,
  O_DESKTOP,
  O_PIXEL_PERFECT,
  O_DRAW_RECT,
  O_TIMEOUT,
  O_HEADLESS,
  O_PERF_TIMING,
  O_FRAMEBUFFER,
  O_X,
  O_BACKGROUND_SLEEP_MS,
  O_EMULATE_TEXTINPUT,
  O_DEFERRED_DEALLOC,
  O_EXT_DISPLAY,
  O_PREBLIT_SCALE,
  O_DISPLAY,
  O_LOG_SYSTEM_INFO,
};

struct option_row {
  const char* name;
  option_id id;
  option_kind kind;
};

// clang-format off
const option_row option_table[] = {
    {"width", O_WIDTH, OPT_NUMBER},
    {"height", O_HEIGHT, OPT_NUMBER},
    {"show_fps", O_SHOW_FPS, OPT_NUMBER},
    {"windowed", O_WINDOWED, OPT_NUMBER},
    {"window_x", O_WINDOW_X, OPT_NUMBER},
    {"window_y", O_WINDOW_Y, OPT_NUMBER},
    {"frameless", O_FRAMELESS, OPT_NUMBER},
    {"fullscreen_method", O_FULLSCREEN_METHOD, OPT_NUMBER},
    {"foreground_sleep_ms", O_FOREGROUND_SLEEP_MS, OPT_NUMBER},
    {"sound_volume", O_SOUND_VOLUME, OPT_NUMBER},
    {"sound", O_SOUND_VOLUME, OPT_NUMBER},
    {"music_volume", O_MUSIC_VOLUME, OPT_NUMBER},
    {"music", O_MUSIC_VOLUME, OPT_NUMBER},
    {"mix_buffer_size", O_MIX_BUFFER_SIZE, OPT_NUMBER},
    {"software_blit", O_SOFTWARE_BLIT, OPT_NUMBER},
    {"software_blitter", O_SOFTWARE_BLIT, OPT_NUMBER},
    {"home", O_HOME, OPT_TEXT},
    {"desktop", O_DESKTOP, OPT_TEXT},
    {"pixel_perfect", O_PIXEL_PERFECT, OPT_NUMBER},
    {"draw_rect", O_DRAW_RECT, OPT_RECT},
    {"timeout", O_TIMEOUT, OPT_NUMBER},
    {"headless", O_HEADLESS, OPT_FLAG},
    {"perf_timing", O_PERF_TIMING, OPT_NUMBER},
    {"framebuffer", O_FRAMEBUFFER, OPT_FLAG},
    {"x", O_X, OPT_FLAG},  // any name whose first letter is x
    {"background_sleep_ms", O_BACKGROUND_SLEEP_MS, OPT_NUMBER},
    {"emulate_textinput", O_EMULATE_TEXTINPUT, OPT_NUMBER},
    {"deferred_dealloc", O_DEFERRED_DEALLOC, OPT_NUMBER},
    {"ext_display", O_EXT_DISPLAY, OPT_NUMBER},
    {"preblit_scale", O_PREBLIT_SCALE, OPT_NUMBER},
    {"display", O_DISPLAY, OPT_NUMBER},
    {"log_system_info", O_LOG_SYSTEM_INFO, OPT_NUMBER},
};
// clang-format on

// A decimal integer at the start of the text, 0 when there is none; values
// beyond the int32 range are held at its ends. `end` gets the first unread byte.
int32_t read_int(const char* text, const char** end) {
  char* stop = nullptr;
  long v = strtol(text, &stop, 10);
  if (end) *end = stop;
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

void set_flag(option_id id) {
  if (id == O_FRAMEBUFFER) cconfig.framebuffer = 1;
  else cconfig.headless = 1;
}

// Paths given as options must fit their 1024-byte settings; a longer text
// is refused and the setting keeps its value.
void set_text(char* dst, const char* option, const char* text) {
  if (strlen(text) >= static_cast<size_t>(TARQ_PATH_MAX)) {
    tarq_logf("** option -%s: text of %zu bytes is too long; ignored\n", option, strlen(text));
    return;
  }
  snprintf(dst, TARQ_PATH_MAX, "%s", text);
}

// "x,y,w,h": as many of the four numbers as the text holds.
void set_draw_rect(const char* text) {
  int32_t* fields[4] = {&cconfig.draw_rect_x, &cconfig.draw_rect_y, &cconfig.draw_rect_w, &cconfig.draw_rect_h};
  cconfig.draw_rect_x = 0;
  cconfig.draw_rect_y = 0;
  cconfig.draw_rect_w = 4096;
  cconfig.draw_rect_h = 4096;
  const char* p = text;
  for (int i = 0; i < 4; i++) {
    if (i > 0) {
      if (*p != ',') return;
      p++;
    }
    const char* end = nullptr;
    int32_t v = read_int(p, &end);
    if (end == p) return;
    *fields[i] = v;
    p = end;
  }
}

int32_t clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

void set_value(const option_row& row, const char* text) {
  if (row.kind == OPT_TEXT) {
    set_text(row.id == O_HOME ? cconfig.home_path : cconfig.desktop_path, row.name, text);
    return;
  }
  if (row.kind == OPT_RECT) {
    set_draw_rect(text);
    return;
  }
  int32_t v = read_int(text, nullptr);
  switch (row.id) {
    case O_WIDTH: cconfig.window_width = v; break;
    case O_HEIGHT: cconfig.window_height = v; break;
    case O_SHOW_FPS: cconfig.show_fps = v; break;
    case O_WINDOWED: cconfig.windowed = v; break;
    case O_WINDOW_X: cconfig.window_x = v; break;
    case O_WINDOW_Y: cconfig.window_y = v; break;
    case O_FRAMELESS: cconfig.frameless = v; break;
    case O_FULLSCREEN_METHOD: cconfig.fullscreen_method = v; break;
    case O_FOREGROUND_SLEEP_MS: cconfig.foreground_sleep_ms = v; break;
    case O_SOUND_VOLUME: cconfig.sound_volume = v; break;
    case O_MUSIC_VOLUME: cconfig.music_volume = v; break;
    case O_MIX_BUFFER_SIZE: cconfig.mix_buffer_size = v; break;
    case O_SOFTWARE_BLIT: cconfig.software_blit = v; break;
    case O_PIXEL_PERFECT: cconfig.pixel_perfect = v; break;
    case O_TIMEOUT: cconfig.timeout = clamp(v, 1, 240); break;
    case O_PERF_TIMING: cconfig.perf_timing = v; break;
    case O_BACKGROUND_SLEEP_MS: cconfig.background_sleep_ms = v; break;
    case O_EMULATE_TEXTINPUT: cconfig.emulate_textinput = v; break;
    case O_DEFERRED_DEALLOC: cconfig.deferred_dealloc = v; break;
    case O_EXT_DISPLAY: cconfig.ext_display = v; break;
    case O_PREBLIT_SCALE: cconfig.preblit_scale = clamp(v, 0, 8); break;
    case O_DISPLAY: cconfig.display = v; break;
    case O_LOG_SYSTEM_INFO: cconfig.log_system_info = v; break;
    default: break;
  }
}

}  // namespace

void tarq_process_arguments(int argc, char** argv) {
  if (argc < 2 || !argv) return;
  const option_row* pending = nullptr;
  for (int i = 1; i < argc; i++) {
    const char* arg = argv[i];
    if (!arg) break;
    if (arg[0] == '&' || arg[0] == '|' || arg[0] == '>') break;
    if (arg[0] == '-') {
      const char* name = arg + 1;
      for (const option_row& row : option_table) {
        if (strncmp(name, row.name, strlen(row.name)) != 0) continue;
        if (row.kind == OPT_FLAG) {
          set_flag(row.id);
          pending = nullptr;
        } else {
          pending = &row;
        }
      }
      continue;
    }
    if (pending) {
      set_value(*pending, arg);
      pending = nullptr;
    }
  }
}
