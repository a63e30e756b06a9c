// "config.txt" keys of the shell and the command-line switches.
#include "player/shell_config.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/machine/memory_map.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "player/shell_state.h"
#include "sound/sound.h"

namespace {

// The key's number read with " %d" after it; false when there is none.
bool read_number(const char* line, const char* key, int32_t* out) {
  int v;
  if (sscanf(line + strlen(key), " %d", &v) != 1) return false;
  *out = v;
  return true;
}

bool has_key(const char* line, const char* key) { return strncmp(line, key, strlen(key)) == 0; }

void set_path(char* out, const char* text) {
  char fixed[TARQ_PATH_MAX];
  snprintf(fixed, sizeof fixed, "%s", text);
  tarq_fix_path_string(fixed, out);
}

void apply_volume(int32_t v) {
  app.volume = v;
  if (cconfig.sound_volume != 0) {
    cconfig.sound_volume = v;
    tarq_set_sound_volume(v);
  }
}

struct int_key {
  const char* key;
  int32_t* value;
};

void print(tarq_file* f, const char* text) { tarq_fwrite(text, 1, strlen(text), f); }
void print_d(tarq_file* f, const char* format, int32_t v) { tarq_fprintf_1d(f, format, v); }
void print_s(tarq_file* f, const char* format, const char* s) { tarq_fprintf_1s(f, format, s); }

}  // namespace

int tovo_load_config(const char* line) {
  if (!line) return 0;
  size_t n = strlen(line);
  if (has_key(line, "root_path")) set_path(shell.root_path, n > 10 ? line + 10 : "");
  if (has_key(line, "cdata_path")) set_path(shell.cdata_path, n > 11 ? line + 11 : "");
  if (has_key(line, "joystick_index")) read_number(line, "joystick_index", &app.joystick_index);
  if (has_key(line, "button_keys")) {
    const char* p = line + strlen("button_keys");
    for (int i = 0; i < TOVO_BUTTON_KEYS; i++) {
      int v, used;
      if (sscanf(p, " %d%n", &v, &used) != 1) break;
      app.button_keys[i] = v;
      p += used;
    }
  }
  const int_key before_volume[] = {
      {"live_notes", &app.live_notes}, {"cursor_snap", &app.cursor_snap}, {"gif_len", &app.gif_len}};
  for (const int_key& k : before_volume)
    if (has_key(line, k.key)) read_number(line, k.key, k.value);
  int32_t v;
  if (has_key(line, "volume") && read_number(line, "volume", &v)) apply_volume(v);
  const int_key middle[] = {{"gui_theme", &app.gui_theme},
                            {"screenshot_scale", &app.screenshot_scale},
                            {"gif_scale", &app.gif_scale},
                            {"shift_glyphs", &app.shift_glyphs},
                            {"show_backup_messages", &app.show_backup_messages},
                            {"host_framerate_control", &app.host_framerate_control}};
  for (const int_key& k : middle)
    if (has_key(line, k.key)) read_number(line, k.key, k.value);
  if (has_key(line, "content_filter") && read_number(line, "content_filter", &v)) app.splore_filter = v == 2 ? 1 : 0;
  const int_key after[] = {{"splore_filter", &app.splore_filter},
                           {"tab_width", &app.tab_width},
                           {"draw_tabs", &app.draw_tabs},
                           {"record_activity_log", &app.record_activity_log},
                           {"allow_function_keys", &app.allow_function_keys},
                           {"check_for_cart_updates", &app.check_for_cart_updates},
                           {"enable_gpio", &app.enable_gpio},
                           {"flip_ampersand", &app.flip_ampersand},
                           {"auto_hide_mouse_cursor", &app.auto_hide_mouse_cursor}};
  for (const int_key& k : after)
    if (has_key(line, k.key)) read_number(line, k.key, k.value);
  return 0;
}

int tovo_save_config(tarq_file* f) {
  print_s(f, "version %s\n\n", TOVO_VERSION_TEXT);
  print(f, "// audio volume: 0..256 \n");
  print_d(f, "volume %d\n\n", app.volume);
  print(f, "\n// Location of tovo's root folder\n");
  print_s(f, "root_path %s\n\n", shell.root_path);
  print(f, "\n// Location of cartridge save data\n");
  print_s(f, "cdata_path %s\n\n", shell.cdata_path);
  print(f, "\n// Specify which player index joystick control begins at (0..7)\n");
  print_d(f, "joystick_index %d\n\n", app.joystick_index);
  print(f, "\n// Custom keyboard scancodes for buttons. player0 0..6, player1 0..5\n");
  print(f, "button_keys ");
  for (int32_t k : app.button_keys) print_d(f, "%d ", k);
  print(f, "\n\n");
  print(f, "// Play notes as they are plotted in frequency mode\n");
  print_d(f, "live_notes %d\n\n", app.live_notes);
  print(f, "// iff 1: when using keyboard cursor, snap to closest pixel / map cel\n");
  print_d(f, "cursor_snap %d\n\n", app.cursor_snap);
  print(f,
        "// 0 default  1 dark blue background in code editor  2 black background in code editor   3 gray "
        "background in code editor   \n");
  print_d(f, "gui_theme %d\n\n", app.gui_theme);
  print(f, "// scale of screenshots and gifs // 2 means 256x256\n");
  print_d(f, "screenshot_scale %d\n", app.screenshot_scale);
  print_d(f, "gif_scale %d\n\n", app.gif_scale);
  print(f, "// maximum gif length in seconds (0..120; 0 means no gif recording)\n");
  print_d(f, "gif_len %d\n\n", app.gif_len);
  print(f, "// when 1, reset the recording when pressing ctrl-9 (useful for creating a non-overlapping sequence)\n");
  print_d(f, "gif_reset_mode %d\n\n", app.gif_reset_mode);
  print(f,
        "// 0 for off. 1 to allow control of a cart's framerate due to host machine's cpu capacity "
        "(recommended)\n");
  print_d(f, "host_framerate_control %d\n\n", app.host_framerate_control);
  print(f, "// filter splore cartridges\n");
  print(f, "// 0 off   1 on (exclude cartridge tagged as 'mature' by community)\n");
  print_d(f, "splore_filter %d\n\n", app.splore_filter);
  print(f, "// tab display width (1 ~ 4 spaces)\n");
  print_d(f, "tab_width %d\n\n", app.tab_width);
  print(f, "// 0 off 1 on: draw tab characters as small vertical lines\n");
  print_d(f, "draw_tabs %d\n\n", app.draw_tabs);
  print(f,
        "// 0 off 1 on: record the current cartridge and editor view every 3 seconds (see "
        "[appdata]/activity.log.txt)\n");
  print_d(f, "record_activity_log %d\n\n", app.record_activity_log);
  print(f, "// 0 off 1 on: allow F6..F9 (alternative: ctrl 6..9)\n");
  print_d(f, "allow_function_keys %d\n\n", app.allow_function_keys);
  print(f, "// 0 off 1 on: automatically check for a newer version of a BBS cart each time it is run.\n");
  print_d(f, "check_for_cart_updates %d\n\n", app.check_for_cart_updates);
  print_d(f, "// 0 off 1 on: allow access to hardware GPIO at 0x%04x..", TOVO_GPIO_START);
  print_d(f, "0x%04x (might need to sudo tovo)\n", TOVO_GPIO_START + TOVO_GPIO_BYTES - 1);
  print_d(f, "enable_gpio %d\n\n", app.enable_gpio);
  if (app.flip_ampersand != 0) print(f, "flip_ampersand 1\n\n");
  print(f, "// hide mouse cursor for n seconds when typing.\n");
  print_d(f, "auto_hide_mouse_cursor %d\n\n", app.auto_hide_mouse_cursor);
  return 0;
}

namespace {

enum value_kind { NONE, NUMBER, TEXT };

struct switch_def {
  const char* name;
  value_kind kind;
  int32_t* number;  // for NUMBER switches that only store
};

const switch_def* find_switch(const char* name) {
  // clang-format off
  static const switch_def table[] = {
      {"run", NONE, nullptr},           {"x", NONE, nullptr},
      {"exec", NONE, nullptr},          {"global_api", NONE, nullptr},
      {"kiosk", NONE, nullptr},         {"joystick", NUMBER, &app.joystick_index},
      {"gif_len", NUMBER, &app.gif_len}, {"gui_theme", NUMBER, &app.gui_theme},
      {"screenshot_scale", NUMBER, &app.screenshot_scale}, {"gif_scale", NUMBER, &app.gif_scale},
      {"gpio_base", NUMBER, &app.gpio_base}, {"glitch_test", NUMBER, &app.glitch_test},
      {"p", TEXT, nullptr},             {"param", TEXT, nullptr},
      {"splore_filter", NUMBER, &app.splore_filter}, {"root_path", TEXT, nullptr},
      {"cdata_path", TEXT, nullptr},    {"accept_future", NUMBER, &app.accept_future},
      {"export", TEXT, nullptr},        {"volume", NUMBER, nullptr},
      {"tv_frame", NUMBER, &app.tv_frame}, {"displays_x", NUMBER, &app.displays_x},
      {"displays_y", NUMBER, &app.displays_y}, {"gif_reset_mode", NUMBER, &app.gif_reset_mode},
      {"i", TEXT, nullptr},             {"o", TEXT, nullptr},
  };
  // clang-format on
  for (const switch_def& s : table)
    if (strcmp(s.name, name) == 0) return &s;
  return nullptr;
}

void switch_without_value(const char* name) {
  if (strcmp(name, "run") == 0) app.run_requested = 1;
  if (strcmp(name, "x") == 0 || strcmp(name, "exec") == 0) {
    run_state().exec = 1;
    app.run_requested = 1;
    cconfig.headless = 1;
  }
  if (strcmp(name, "global_api") == 0) {
    app.global_api = 1;
    run_state().global_api = 1;
  }
  if (strcmp(name, "kiosk") == 0) app.kiosk = app.browser_requested = 1;
}

void switch_with_value(const switch_def* s, const char* value) {
  int32_t n = atoi(value);
  if (s->number) {
    *s->number = n;
    return;
  }
  const char* name = s->name;
  if (strcmp(name, "volume") == 0) apply_volume(n < 0 ? 0 : n > 256 ? 256 : n);
  else if (strcmp(name, "p") == 0 || strcmp(name, "param") == 0)
    snprintf(run_state().pending_param, sizeof run_state().pending_param, "%s", value);  // for the first run
  else if (strcmp(name, "root_path") == 0) set_path(shell.root_path, value);
  else if (strcmp(name, "cdata_path") == 0) set_path(shell.cdata_path, value);
  else if (strcmp(name, "export") == 0) {
    snprintf(app.export_name, sizeof app.export_name, "%s", value);
    run_state().export_target = value[0] != 0;
    cconfig.headless = 1;
  } else if (strcmp(name, "i") == 0 && !app.input_record) app.input_record = fopen(value, "rb");
  else if (strcmp(name, "o") == 0 && !app.output_record) app.output_record = fopen(value, "wb");
}

}  // namespace

void process_arguments(int argc, char** argv) {
  app.further_count = 0;
  if (argc < 2) return;
  const switch_def* pending = nullptr;
  bool pending_unknown = false;
  for (int i = 1; i < argc; i++) {
    const char* a = argv[i];
    if (a[0] == '>' || a[0] == '&' || a[0] == '|') break;
    bool exporting = pending && strcmp(pending->name, "export") == 0;
    if (a[0] == '-' && !exporting) {
      pending = find_switch(a + 1);
      pending_unknown = !pending;
      if (pending && pending->kind == NONE) {
        switch_without_value(pending->name);
        pending = nullptr;
      }
      continue;
    }
    if (pending) {
      switch_with_value(pending, a);
      pending = nullptr;
    } else if (pending_unknown) {
      pending_unknown = false;  // an unknown switch takes its value without effect
    } else if (app.cart_name[0] == 0) {
      snprintf(app.cart_name, sizeof app.cart_name, "%s", a);
    } else if (app.further_count < TOVO_FURTHER_NAMES) {
      snprintf(app.further_names[app.further_count++], TARQ_PATH_MAX, "%s", a);
    }
  }
}
