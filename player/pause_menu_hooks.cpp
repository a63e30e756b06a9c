// Joins the run loop's calls for the pause menu and the message bar, and
// stat's pause-menu box queries (13 and 15), to the shell: installed when the
// program starts (the player library is linked whole, so this file's
// initialiser always runs).
#include "console/shell_standin.h"
#include "console/stat.h"
#include "player/message.h"
#include "player/pause_menu.h"

namespace {

int32_t menu_item_count() {
  build_paused_menu();
  return pause_menu.count;
}

bool install() {
  stat_inputs.menu_item_count = menu_item_count;
  tovo_shell_hooks.update_paused_menu = update_paused_menu;
  tovo_shell_hooks.build_paused_menu = tovo_open_paused_menu;
  tovo_shell_hooks.show_message = show_message;
  return true;
}

const bool installed = install();

}  // namespace
