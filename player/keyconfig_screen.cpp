#include "player/keyconfig_screen.h"

#include <cstring>

tovo_keyconfig_state keyconfig;

void keyconfig_init() {
  std::memcpy(keyconfig.backup, app.button_keys, sizeof keyconfig.backup);
  keyconfig.key_index = 0;
  keyconfig.ready = 0;
  shell.sub_mode = 1;
}
