#pragma once
// The cart browser's actions: acting on the selected item, the per-cart menu,
// finishing the browser's own downloads and taking a cart's newer version.
// Nothing in the player calls them; the update check of a running
// bulletin-board cart, which the player's download poller makes, is in
// player/browser/splore_download.h.
#include <cstdint>

constexpr int SPLORE_MENU_ITEMS = 8;

enum : int32_t {
  SPLORE_MENU_NONE = 0,
  SPLORE_MENU_CART = 1,
  SPLORE_MENU_CART_OPTIONS = 4,
  SPLORE_MENU_OPTIONS = 5,
};

enum : int32_t {
  SPLORE_ACT_RUN = 1,
  SPLORE_ACT_FAVOURITE = 3,
  SPLORE_ACT_CART_OPTIONS = 4,
  SPLORE_ACT_OPTIONS = 5,
  SPLORE_ACT_BACK = 6,
  SPLORE_ACT_EDIT = 16,
  SPLORE_ACT_REDOWNLOAD = 17,
  SPLORE_ACT_OPEN_THREAD = 18,
  SPLORE_ACT_BY_AUTHOR = 19,
  SPLORE_ACT_SIMILAR = 20,
  SPLORE_ACT_THREAD = 21,
  SPLORE_ACT_SOUND = 32,
  SPLORE_ACT_FULLSCREEN = 33,
  SPLORE_ACT_SHUTDOWN = 34,
};

struct splore_menu_item {
  int32_t type;
  char label[64];
};

struct splore_menu {
  int32_t which;  // SPLORE_MENU_*; 0 closed
  splore_menu_item items[SPLORE_MENU_ITEMS];
  int32_t count;
  int32_t selected;
};
extern splore_menu cart_menu;

void action_current_splore_item();
// Fills the menu's items for its `which`.
void generate_cart_menu(splore_menu* menu);
void process_cart_menu_action(int32_t type);
// Opens the cart menu on the selected cart item; false when it is no cart.
bool cart_menu_pop();
// The browser's own download finisher: list pages, information files and carts.
void update_splore_download();
// Takes the newer version of the selected cart: its fields from its
// information file, the favourites written when they are the current list,
// the program suspended and the item acted on again (fetching the cart).
void splore_update_cartridge_to_newer_version();
// Starts a search of the search list ("cat=7&search=%s&max=32", first page).
void splore_search(const char* text);
int32_t splore_entering_text();
void splore_cancel_text_entry();
