// Joins the machine queries of the pause menu's box (stat 13 and 15) to the
// menu: installed when the program starts (the player library is linked
// whole, so this file's initialiser always runs).
#include "console/stat.h"
#include "player/pause_menu.h"

namespace {

int32_t menu_item_count() {
  build_paused_menu();
  return pause_menu.count;
}

bool install() {
  stat_inputs.menu_item_count = menu_item_count;
  return true;
}

const bool installed = install();

}  // namespace
