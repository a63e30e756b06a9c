#include "console/run/config_command.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/machine/address_space.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/shell_port.h"

namespace {

constexpr int32_t HEAD = 14;
constexpr int32_t TEXT = 6;
constexpr int32_t NOTE = 12;

struct line {
  const char* text;
  int32_t colour;
};

// A numeric setting: its range and, when it has one, its help (the lines,
// then "current <name>: %d").
struct numeric_setting {
  const char* name;
  int32_t lo, hi;
  line help[4];
};

const numeric_setting numeric_settings[] = {
    {"volume", 8, 256, {{"config volume [val]", HEAD}, {"val: 8 quiet .. 256 loud", NOTE}}},
    {"gif_len", 1, 120, {{"config gif_len [seconds]", HEAD}}},
    {"gif_reset_mode",
     0,
     1,
     {{"config gif_reset_mode [mode]", HEAD},
      {" 0: don't reset after recording", NOTE},
      {" 1: reset after each recording", NOTE},
      {"", TEXT}}},
    {"sfx_filters", 0, 1, {}},
    {"gif_scale", 1, 8, {{"config gif_scale [size]", HEAD}}},
    {"screenshot_scale", 1, 8, {{"config screenshot_scale [size]", HEAD}}},
    {"tab_width", 1, 8, {{"config tab_width [width]", HEAD}}},
    {"enable_gpio", 0, 1, {{"config enable_gpio [0|1]", HEAD}}},
};

const char* const theme_names[] = {"blue", "auto", "classic"};
const int32_t theme_values[] = {1, 0, 3};

bool starts(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

// The rest of text after name and a blank, or null when it does not start so.
const char* value_of(const char* text, const char* name) {
  size_t n = std::strlen(name);
  return std::strncmp(text, name, n) == 0 && text[n] == ' ' ? text + n + 1 : nullptr;
}

// A decimal number as "%d" reads it (0 when there is none), clamped to
// lo..hi; numbers too large for an int clamp likewise.
int32_t read_number(const char* text, int32_t lo, int32_t hi) {
  long v = std::strtol(text, nullptr, 10);
  return v < lo ? lo : v > hi ? hi : static_cast<int32_t>(v);
}

void print_lines(const line* lines, int n) {
  for (int i = 0; i < n && lines[i].text; i++) tovo_print_col(lines[i].text, lines[i].colour);
}

void print_value(const char* format, const char* name, int32_t value, int32_t colour) {
  char text[64];
  std::snprintf(text, sizeof text, format, name, value);
  tovo_print_col(text, colour);
}

bool theme_command(const char* args) {
  if (const char* value = value_of(args, "theme")) {
    for (int i = 0; i < 3; i++) {
      if (!starts(value, theme_names[i])) continue;
      tovo_shell().set_setting("theme", theme_values[i]);
      char text[32];
      std::snprintf(text, sizeof text, "set theme to %s", theme_names[i]);
      tovo_print_col(text, HEAD);
      return true;
    }
  }
  if (!starts(args, "theme")) return false;
  const line help[] = {{"config theme [value]", HEAD},
                       {"", TEXT},
                       {"available themes:", NOTE},
                       {"auto", TEXT},
                       {"blue", TEXT},
                       {"classic", TEXT},
                       {"", TEXT}};
  print_lines(help, sizeof help / sizeof help[0]);
  return true;
}

bool filter_command(const char* args) {
  if (const char* value = value_of(args, "splore_filter")) {
    int32_t on = starts(value, "on") || starts(value, "1") ? 1 : starts(value, "off") || starts(value, "0") ? 0 : -1;
    if (on >= 0) {
      tovo_shell().set_setting("splore_filter", on);
      tovo_print_col(on ? "filter on" : "filter off", HEAD);
      return true;
    }
  }
  if (!starts(args, "splore_filter")) return false;
  const line help[] = {{"config filter [on | off]", HEAD},
                       {"", TEXT},
                       {"when on, cartridges tagged as", TEXT},
                       {"mature will not be downloaded.", TEXT},
                       {"", TEXT}};
  print_lines(help, sizeof help / sizeof help[0]);
  tovo_print_col(tovo_shell().get_setting("splore_filter") ? "filter is currently: on" : "filter is currently: off",
                 NOTE);
  tovo_print_col("", TEXT);
  return true;
}

bool numeric_command(const char* args, const numeric_setting& s) {
  if (const char* value = value_of(args, s.name)) {
    int32_t v = read_number(value, s.lo, s.hi);
    tovo_shell().set_setting(s.name, v);
    if (std::strcmp(s.name, "gif_len") == 0) tovo_shell().reset_video();
    print_value("set %s: %d", s.name, v, HEAD);
    return true;
  }
  if (!s.help[0].text || !starts(args, s.name)) return false;
  print_lines(s.help, 4);
  print_value("current %s: %d", s.name, tovo_shell().get_setting(s.name), TEXT);
  return true;
}

void print_settings() {
  const line head[] = {{"config [setting]", HEAD}, {"", TEXT}, {"available settings:", NOTE}};
  print_lines(head, 3);
  static const char* const names[] = {"volume",           "theme",         "gif_len",   "gif_reset_mode", "gif_scale",
                                      "screenshot_scale", "splore_filter", "tab_width", "enable_gpio",    ""};
  for (const char* name : names) tovo_print_col(name, TEXT);
  tovo_poke(&pstate(), pstate().cart, TOVO_REG_PEN, HEAD);
}

}  // namespace

const char* tovo_config_args(const char* text) {
  if (std::strncmp(text, "config", 6) != 0 || static_cast<unsigned char>(text[6]) > ' ') return nullptr;
  return text[6] ? text + 7 : text + 6;
}

void run_config(const char* args) {
  tovo_poke(&pstate(), pstate().cart, TOVO_REG_PEN, TEXT);
  if (theme_command(args) || filter_command(args)) return;
  for (const numeric_setting& s : numeric_settings)
    if (numeric_command(args, s)) return;
  print_settings();
}
