// The data file of this player carries no demo carts and no preloaded
// bulletin-board carts, so the installers have nothing to write.
#include "player/cart_installers.h"

#include "console/console_print.h"
#include "player/browser/splore.h"

void install_demo_carts() { tovo_print_col("installing demo carts to /demos/", 14); }

void install_preloaded_bbs_carts() {}

void install_games() {
  save_splore_favourites();
  install_preloaded_bbs_carts();
  reload_favourites();
}
