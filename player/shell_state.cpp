// The shell's state records and their defaults.
#include "player/shell_state.h"

#include <cstring>

tovo_app_state app;
tovo_shell_state shell;

void set_default_app_config() {
  app.show_backup_messages = 1;
  app.host_framerate_control = 1;
  app.shift_glyphs = 1;
  app.tab_width = 1;
  app.record_activity_log = 1;
  app.check_for_cart_updates = 1;
  app.allow_function_keys = 1;
  app.enable_gpio = 1;
  app.gif_len = 16;
  app.gpio_base = -1;
  app.auto_hide_mouse_cursor = 5;
  app.screenshot_scale = 3;
  app.gif_scale = 3;
  app.splore_filter = 0;
}

bool tovo_cart_is_running() { return shell.mode == TOVO_MODE_RUNNING && shell.program_started != 0; }
