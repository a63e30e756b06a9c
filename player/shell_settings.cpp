#include "player/shell_settings.h"

#include <cstring>

#include "engine/config.h"
#include "engine/data/ctext.h"
#include "player/hotkey.h"
#include "player/shell_state.h"

namespace {

struct named_setting {
  const char* name;
  int32_t tovo_app_state::*field;
};

const named_setting settings[] = {
    {"theme", &tovo_app_state::gui_theme},
    {"splore_filter", &tovo_app_state::splore_filter},
    {"volume", &tovo_app_state::volume},
    {"gif_len", &tovo_app_state::gif_len},
    {"gif_reset_mode", &tovo_app_state::gif_reset_mode},
    {"gif_scale", &tovo_app_state::gif_scale},
    {"screenshot_scale", &tovo_app_state::screenshot_scale},
    {"tab_width", &tovo_app_state::tab_width},
    {"enable_gpio", &tovo_app_state::enable_gpio},
    {"punycode_encoding", &tovo_app_state::punycode_encoding},
};

int32_t* field_of(const char* name) {
  for (const named_setting& s : settings)
    if (std::strcmp(s.name, name) == 0) return &(app.*s.field);
  return nullptr;
}

}  // namespace

int32_t tovo_get_shell_setting(const char* name) {
  int32_t* field = field_of(name);
  return field ? *field : 0;
}

void tovo_set_shell_setting(const char* name, int32_t value) {
  int32_t* field = field_of(name);
  if (!field) return;
  *field = value;
  if (field == &app.volume && cconfig.sound_volume != 0) tovo_set_sound_volume(value);
  if (field == &app.tab_width) {
    for (tarq_ctext* tab : shell.tabs)
      if (tab) tab->tab_width = (value < 4 ? value : 4) * 4;
  }
}
