// Reading and writing "config.txt": the engine's keys by prefix, every other
// line to the application's hook; written back through a temporary file
// unless the file changed on disk since it was read.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine/config.h"
#include "engine/formats/config_file.h"
#include "engine/formats/sha1.h"
#include "engine/io/file.h"
#include "engine/io/replace.h"
#include "engine/log.h"
#include "engine/log_format.h"
#include "engine/platform/host.h"
#include "engine/platform/video.h"
#include "engine/tarq.h"

namespace {

// The application's hooks, set only through the two calls below.
tarq_load_config_func tarq_load_config_hook = nullptr;
tarq_save_config_func tarq_save_config_hook = nullptr;

constexpr const char* CONFIG_NAME = "config.txt";
constexpr int LINE_LIMIT = 255;

void log_format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  tarq_vlogf(fmt, args);
  va_end(args);
}

// The SHA-1 of the stdio file at `path`, or an empty text when it cannot be read.
void hash_file(const char* path, char* out) {
  out[0] = 0;
  tarq_file* f = tarq_load_file(path);
  if (!f) return;
  tarq_sha1(f->data, static_cast<size_t>(f->size), out);
  tarq_fclose(f);
}

int32_t clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The desktop folder as written in the file: backslashes become slashes,
// doubled separators and control characters go, one trailing slash.
void set_desktop_path(const char* value) {
  while (*value == ' ' || *value == '\t') value++;
  char path[TARQ_PATH_MAX];
  size_t n = 0;
  for (const char* p = value; *p; p++) {
    char c = *p == '\\' ? '/' : *p;
    if (static_cast<unsigned char>(c) < 32) continue;
    if (c == '/' && n > 0 && path[n - 1] == '/') continue;
    if (n + 2 >= sizeof path) {
      tarq_debug("config.txt: desktop_path too long; ignored\n");
      return;
    }
    path[n++] = c;
  }
  while (n > 0 && (path[n - 1] == ' ' || path[n - 1] == '\t')) n--;
  if (n > 0 && path[n - 1] != '/') path[n++] = '/';
  path[n] = 0;
  memcpy(cconfig.desktop_path, path, n + 1);
}

void read_one(const char* values, int32_t* field) {
  int v;
  if (sscanf(values, " %d", &v) == 1) *field = v;
}

// A window or screen size: 0 0, or both sides within the window limits.
// Any other value is refused with a word on standard error, and the field
// keeps its value (so the refused one is not written back). True when taken.
bool read_size(const char* key, const char* values, int32_t* w, int32_t* h) {
  int x, y;
  if (sscanf(values, " %d %d", &x, &y) != 2) return false;
  auto side_ok = [](int v) { return v >= TARQ_WINDOW_SIDE_MIN && v <= TARQ_WINDOW_SIDE_MAX; };
  if ((x == 0 && y == 0) || (side_ok(x) && side_ok(y))) {
    *w = x;
    *h = y;
    return true;
  }
  char text[256];
  snprintf(text, sizeof text, "config.txt: %s %d %d cannot be used (each side %d to %d); the default is used\n", key, x,
           y, static_cast<int>(TARQ_WINDOW_SIDE_MIN), static_cast<int>(TARQ_WINDOW_SIDE_MAX));
  tarq_debug(text);
  fputs(text, stderr);
  return false;
}

void read_pair(const char* values, int32_t* a, int32_t* b) {
  int x, y;
  if (sscanf(values, " %d %d", &x, &y) == 2) {
    *a = x;
    *b = y;
  }
}

bool starts_with(const char* line, const char* key, const char** rest) {
  size_t n = strlen(key);
  if (strncmp(line, key, n) != 0) return false;
  *rest = line + n;
  return true;
}

// The text after a key and its separating character.
const char* after_separator(const char* rest) { return *rest ? rest + 1 : rest; }

void take_line(const char* line) {
  const char* v;
  tarq_config& c = cconfig;
  if (starts_with(line, "video_mode", &v)) {
    int32_t w, h;
    if (read_size("video_mode", v, &w, &h)) {
      c.window_width = c.screen_width = w;
      c.window_height = c.screen_height = h;
    }
  } else if (starts_with(line, "window_size", &v)) {
    read_size("window_size", v, &c.window_width, &c.window_height);
  } else if (starts_with(line, "screen_size", &v)) {
    read_size("screen_size", v, &c.screen_width, &c.screen_height);
  } else if (starts_with(line, "windowed", &v)) {
    read_one(v, &c.windowed);
  } else if (starts_with(line, "foreground_sleep_ms", &v)) {
    read_one(v, &c.foreground_sleep_ms);
  } else if (starts_with(line, "background_sleep_ms", &v)) {
    read_one(v, &c.background_sleep_ms);
  } else if (starts_with(line, "sound_volume", &v)) {
    read_one(v, &c.sound_volume);
  } else if (starts_with(line, "music_volume", &v)) {
    read_one(v, &c.music_volume);
  } else if (starts_with(line, "mix_buffer_size", &v)) {
    read_one(v, &c.mix_buffer_size);
  } else if (starts_with(line, "windib", &v)) {
    read_one(v, &c.windib);
  } else if (starts_with(line, "opengl_blit", &v)) {
    read_one(v, &c.opengl_blit);
  } else if (starts_with(line, "show_fps", &v)) {
    read_one(v, &c.show_fps);
  } else if (starts_with(line, "large_window", &v)) {
    read_one(v, &c.large_window);
  } else if (starts_with(line, "frameless", &v)) {
    read_one(v, &c.frameless);
  } else if (starts_with(line, "window_position", &v)) {
    read_pair(v, &c.window_x, &c.window_y);
    log_format("new window position: %d, %d\n", static_cast<int>(c.window_x), static_cast<int>(c.window_y));
  } else if (starts_with(line, "sessions", &v)) {
    read_one(after_separator(v), &c.sessions);
  } else if (starts_with(line, "rmb_key", &v)) {
    read_one(after_separator(v), &c.rmb_key);
  } else if (starts_with(line, "desktop_path", &v)) {
    set_desktop_path(after_separator(v));
  } else if (starts_with(line, "fullscreen_method", &v)) {
    read_one(v, &c.fullscreen_method);
  } else if (tarq_load_config_hook) {
    tarq_load_config_hook(line);
  }
}

// Opens the first "config.txt" found and remembers its path: a stdio file in
// the application folder, else the virtual disk's, else the program folder's.
tarq_file* open_config(const char* app_path, const char* program_path, char* path) {
  tarq_file* f = app_path ? tarq_fopen(app_path, "rb") : nullptr;
  if (f) {
    snprintf(path, TARQ_PATH_MAX, "%s", app_path);
    return f;
  }
  f = program_path ? tarq_fopen(program_path, "rb") : nullptr;
  if (f) snprintf(path, TARQ_PATH_MAX, "%s", program_path);
  return f;
}

}  // namespace

void tarq_set_load_config_func(tarq_load_config_func fn) { tarq_load_config_hook = fn; }
void tarq_set_save_config_func(tarq_save_config_func fn) { tarq_save_config_hook = fn; }

void tarq_config_load() {
  char app_path[TARQ_PATH_MAX], program_path[TARQ_PATH_MAX];
  bool app = tarq_prefix_with_appdata_path(CONFIG_NAME, app_path) == 0;
  bool program = tarq_prefix_with_program_path(CONFIG_NAME, program_path) == 0;
  tarq_config_load_from(app ? app_path : nullptr, program ? program_path : nullptr);
}

void tarq_config_load_from(const char* app_path, const char* program_path) {
  cconfig.config_path[0] = 0;
  cconfig.config_sha1[0] = 0;
  tarq_file* f = open_config(app_path, program_path, cconfig.config_path);
  if (!f) return;
  tarq_debug("Found config.txt\n");
  tarq_debug(">\n");
  char line[LINE_LIMIT + 1];
  int counter = 0;
  while (tarq_fgets(line, LINE_LIMIT, f)) {
    size_t n = strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = 0;
    if (n > 0 && line[0] != '/') log_format("%02d %s\n", ++counter, line);
    take_line(line);
  }
  tarq_debug("<\n");
  cconfig.sound_volume = clamp(cconfig.sound_volume, 0, 256);
  cconfig.music_volume = clamp(cconfig.music_volume, 0, 256);
  cconfig.foreground_sleep_ms = clamp(cconfig.foreground_sleep_ms, 0, 200);
  cconfig.background_sleep_ms = clamp(cconfig.background_sleep_ms, 0, 200);
  if (cconfig.mix_buffer_size < 512 || cconfig.mix_buffer_size > 8192) cconfig.mix_buffer_size = 1024;
  tarq_fclose(f);
  cconfig.loaded = 1;
  hash_file(cconfig.config_path, cconfig.config_sha1);
}

namespace {
tarq_config cconfig0;  // the settings as read from the file; only this file changes it
}  // namespace

void tarq_config_keep_as_read() { cconfig0 = cconfig; }
const tarq_config& tarq_config_as_read() { return cconfig0; }

void tarq_config_keep_window_size(int32_t w, int32_t h) {
  cconfig.window_width = cconfig0.window_width = w;
  cconfig.window_height = cconfig0.window_height = h;
}

namespace {

void write_settings(FILE* out) {
  const tarq_config& f = cconfig0;  // as read from the file
  const tarq_config& live = cconfig;
  const char* rule = "// - - - - - - - - - - - - - - - - - - - - - - - - - - - -\n";
  fputs(rule, out);
  fprintf(out, "// Configuration for %s\n// \n", tarq_state.app_title);
  fputs("// config.txt is read on startup and saved on exit.\n", out);
  fputs("// To generate the default config.txt, delete this file.\n// \n", out);
  fputs(rule, out);
  fputs("\n\n// :: Video Settings\n\n", out);
  fprintf(out, "window_size %d %d // window width, height\n", static_cast<int>(f.window_width),
          static_cast<int>(f.window_height));
  fprintf(out, "screen_size %d %d // screen width, height (stretched to window) \n", static_cast<int>(f.screen_width),
          static_cast<int>(f.screen_height));
  fprintf(out, "show_fps %d // Draw frames per second in the corner\n", static_cast<int>(f.show_fps));
  fputs("\n\n// :: Window Settings\n\n", out);
  fprintf(out, "windowed %d // 1 to start up in windowed mode\n", static_cast<int>(live.windowed));
  fprintf(out,
          "window_position %d %d // x and y position of window (-1, -1 to let the window manager "
          "decide)\n",
          static_cast<int>(live.window_x), static_cast<int>(live.window_y));
  fprintf(out, "frameless %d // 1 to use a window with no frame\n", static_cast<int>(f.frameless));
  fprintf(out,
          "fullscreen_method %d // 0 maximized window (linux)  1 borderless desktop-sized window  2 "
          "hardware fullscreen (warning: erratic behaviour under some drivers)\n",
          static_cast<int>(live.fullscreen_method));
  fputs("\n\n// :: System Settings\n\n", out);
  fprintf(out,
          "foreground_sleep_ms %d // number of milliseconds to sleep each frame. Try 10 to conserve "
          "battery power\n\n",
          static_cast<int>(f.foreground_sleep_ms));
  fprintf(out,
          "background_sleep_ms %d // number of milliseconds to sleep each frame when running in the "
          "background\n\n",
          static_cast<int>(f.background_sleep_ms));
  fprintf(out, "sessions %d // number of times program has been run\n\n", static_cast<int>(live.sessions));
  fputs("// (scancode) hold this key down and left-click to simulate right-click\n", out);
  fprintf(out, "rmb_key %d // 0 for none  226 for LALT\n\n", static_cast<int>(f.rmb_key));
  fputs("// Desktop for saving screenshots etc. Defaults to $HOME/Desktop\n", out);
  fprintf(out, "desktop_path %s\n\n", f.desktop_path);
  fputs("\n\n// :: Audio Settings (use \"volume\" for TOVO)\n\n", out);
  fprintf(out, "sound_volume %d // 0..256\n", static_cast<int>(live.sound_volume));
  fprintf(out, "music_volume %d // 0..256\n", static_cast<int>(live.music_volume));
  fputs("\n\n// :: usually 1024. Try 2048 if you get choppy sound\n\n", out);
  fprintf(out, "mix_buffer_size %d\n", static_cast<int>(live.mix_buffer_size));
  fputs("\n\n// :: \n\n", out);
}

}  // namespace

int tarq_config_save() {
  char path[TARQ_PATH_MAX];
  if (tarq_prefix_with_appdata_path(CONFIG_NAME, path) != 0) return TARQ_CONFIG_NOT_WRITTEN;
  char now[TARQ_SHA1_TEXT_SIZE];
  hash_file(path, now);
  // A file changed by hand since it was read is left as it is.
  if (now[0] && cconfig.config_sha1[0] && strcmp(now, cconfig.config_sha1) != 0) return TARQ_CONFIG_CHANGED_BY_HAND;

  char temp[TARQ_PATH_MAX];
  tarq_file* f = tarq_open_replacement(path, temp);
  if (f) {
    if (tarq_window.sdl_window) cconfig.windowed = tarq_get_windowed();
    write_settings(f->fp);
    if (tarq_save_config_hook) tarq_save_config_hook(f);
  }
  if (tarq_commit_replacement(f, temp, path, true) != 0) {
    log_format("could not write %s\n", path);
    return TARQ_CONFIG_NOT_WRITTEN;
  }
  hash_file(path, cconfig.config_sha1);  // later saves compare with what was written
  return TARQ_CONFIG_SAVED;
}
