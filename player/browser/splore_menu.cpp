// Acting on browser items, the per-cart menu and the browser's downloads.
// The player never reaches them: the browser's key handler and buttons call
// them (player/browser/splore_keys).
#include "player/browser/splore_menu.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/code_tabs.h"
#include "console/run/run.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/formats/stable.h"
#include "engine/io/file.h"
#include "engine/io/file_copy.h"
#include "engine/io/path.h"
#include "engine/platform/host.h"
#include "engine/platform/window.h"
#include "engine/tarq.h"
#include "player/browser/splore.h"
#include "player/browser/splore_download.h"
#include "player/browser/splore_requests.h"
#include "player/cart/cart_png.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/hotkey.h"
#include "player/keyqueue.h"
#include "player/message.h"
#include "player/shell_state.h"

splore_menu cart_menu;

namespace {

splore_list* current_list() { return &splore.lists[splore.list_index]; }
splore_item* selected_item() { return get_splore_item(current_list(), current_list()->selected); }

void add_menu_item(splore_menu* menu, int32_t type, const char* label) {
  if (menu->count >= SPLORE_MENU_ITEMS) return;
  menu->items[menu->count].type = type;
  snprintf(menu->items[menu->count].label, sizeof menu->items[0].label, "%s", label);
  menu->count++;
}

void open_menu(int32_t which) {
  cart_menu.which = which;
  cart_menu.selected = 0;
  generate_cart_menu(&cart_menu);
}

// Leaves the browser and runs the working cart.
void launch() {
  if (pitem(0)) split_code_to_tabs(pitem(0));
  shell.sub_mode = 0;
  run_state().pending_action = TOVO_PENDING_RUN;
}

void enter_folder(const splore_item* item) {
  std::string wanted = std::string(shell.root_path) + shell.current_folder + item->title + "/";
  char resolved[TARQ_PATH_MAX], root[TARQ_PATH_MAX];
  if (wanted.size() >= TARQ_PATH_MAX || tarq_unroll_filename(wanted.c_str(), resolved) < 0 ||
      tarq_unroll_filename(shell.root_path, root) < 0)
    return;
  size_t n = strlen(root);
  if (strncmp(resolved, root, n) != 0) return;  // outside the cart folder
  const char* inside = resolved + n;
  snprintf(shell.current_folder, sizeof shell.current_folder, "%s", strcmp(inside, "/") == 0 ? "" : inside);
  splore_list* local = &splore.lists[SPLORE_LIST_LOCAL];
  clear_splore_list(local);
  populate_splore_list_from_directory(local, shell.current_folder);
  local->selected = 0;
}

void act_on_cart(splore_item* item) {
  if (item->lid[0]) {
    splore.running_item = *item;
    splore.running_item.label = nullptr;
    char path[TARQ_PATH_MAX];
    get_bbs_cart_filename(item->lid, path);
    if (!path[0] || load_working_cart(path) != 0) {
      snprintf(splore.download.title, sizeof splore.download.title, "%s", item->title);
      download_bbs_cart(item->lid);
      return;
    }
    launch();
    char nfo[TARQ_PATH_MAX];
    get_bbs_cart_filename_nfo(item->lid, nfo);
    if (app.check_for_cart_updates && strcmp(splore.download.file, nfo) != 0 &&
        splore_download_state() == SPLORE_DOWNLOAD_IDLE)
      download_bbs_cart_nfo(item->lid, SPLORE_AWAIT_UPDATE);
    return;
  }
  std::string path = std::string(shell.root_path) + item->file;
  if (path.size() >= TARQ_PATH_MAX || load_working_cart(path.c_str()) != 0) {
    show_message("could not load", 1500);
    return;
  }
  launch();
}

void switch_to_search(const char* format, const char* text) {
  char search[SPLORE_TEXT + 16];
  snprintf(search, sizeof search, format, text);
  splore.list_index = SPLORE_LIST_SEARCH;
  update_list_favourites(current_list());
  splore_search(search);
}

// The list a fetched page belongs to: the one whose short name the file
// name holds.
splore_list* list_of_page(const char* file) {
  const char* name = strrchr(file, '/');
  name = name ? name + 1 : file;
  for (int32_t i = 1; i < SPLORE_LISTS_USED; i++) {
    std::string key = std::string("temp_") + splore.lists[i].name;
    if (strncmp(name, key.c_str(), key.size()) == 0 && (name[key.size()] == '.' || name[key.size()] == '_'))
      return &splore.lists[i];
  }
  return nullptr;
}

void finish_page(const char* file) {
  splore_list* list = list_of_page(file);
  if (!list) return;
  bool append = strstr(file, "__") != nullptr;
  if (populate_splore_list_from_png_file(list, file, append) != 0) {
    show_message("could not connect to bbs", 1500);
    return;
  }
  if (!append) {
    tarq_copy_file(file, splore.download.copy_to);
    if (list->count >= 2) list->selected = 1;  // past "[update]"
  }
  if (list->selected >= list->count) list->selected = list->count - 1;
  if (list->selected < 0) list->selected = 0;
}

void finish_cart(const char* file) {
  tovo_cart* cart = load_tovo_cart_png(file);
  if (!cart) {
    show_message(splore_cart_failure_text(disk_state.png_cart_reason), 1500);
    return;
  }
  prepare_loaded_cart(cart, file);
  launch();
}

}  // namespace

int32_t splore_entering_text() { return splore.list_count ? current_list()->entry_state : 0; }

void splore_cancel_text_entry() {
  if (!splore.list_count) return;
  current_list()->entry_state = 0;
  current_list()->entry_text[0] = 0;
  current_list()->entry_cursor = 0;
}

void splore_search(const char* text) {
  splore_list* list = &splore.lists[SPLORE_LIST_SEARCH];
  snprintf(list->request, sizeof list->request, "cat=7&search=%s&max=32", text);
  list->entry_state = 0;
  download_list(list->name, list->request, 0);
}

void action_current_splore_item() {
  if (!splore.list_count) return;
  splore_list* list = current_list();
  splore_item* item = selected_item();
  switch (item->kind) {
    case SPLORE_KIND_FOLDER: enter_folder(item); break;
    case SPLORE_KIND_CART: act_on_cart(item); break;
    case SPLORE_KIND_UPDATE: download_list(list->name, list->request, 0); break;
    case SPLORE_KIND_LOAD_MORE: download_list(list->name, list->request, list->count - 2); break;
    case SPLORE_KIND_SEARCH:
      list->entry_state = 1;
      list->entry_text[0] = 0;
      list->entry_cursor = 0;
      tovo_key_queue_clear();
      break;
    default: break;
  }
}

bool cart_menu_pop() {
  if (!splore.list_count || selected_item()->kind != SPLORE_KIND_CART) return false;
  open_menu(SPLORE_MENU_CART);
  return true;
}

void generate_cart_menu(splore_menu* menu) {
  menu->count = 0;
  const splore_item* item = splore.list_count ? selected_item() : nullptr;
  if (menu->which == SPLORE_MENU_CART && item) {
    add_menu_item(menu, SPLORE_ACT_RUN, "run cart");
    add_menu_item(menu, SPLORE_ACT_OPTIONS, "options");
    add_menu_item(menu, SPLORE_ACT_FAVOURITE,
                  splore.list_index == SPLORE_LIST_FAVOURITES ? "remove from favourites" : "favourite");
    if (item->lid[0]) {
      char by[SPLORE_TEXT + 16];
      snprintf(by, sizeof by, "carts by @%s", item->author);
      add_menu_item(menu, SPLORE_ACT_BY_AUTHOR, by);
      add_menu_item(menu, SPLORE_ACT_SIMILAR, "similar carts");
      add_menu_item(menu, SPLORE_ACT_THREAD, "search bbs thread");
      add_menu_item(menu, SPLORE_ACT_OPEN_THREAD, "open thread in browser");
    }
    add_menu_item(menu, SPLORE_ACT_BACK, "[back]");
  } else if (menu->which == SPLORE_MENU_CART_OPTIONS) {
    add_menu_item(menu, SPLORE_ACT_EDIT, "edit cart");
    add_menu_item(menu, SPLORE_ACT_REDOWNLOAD, "re-download");
    add_menu_item(menu, SPLORE_ACT_OPEN_THREAD, "open in browser");
    add_menu_item(menu, SPLORE_ACT_BACK, "back");
  } else if (menu->which == SPLORE_MENU_OPTIONS) {
    add_menu_item(menu, SPLORE_ACT_SOUND, cconfig.sound_volume ? "sound:on" : "sound:off");
    add_menu_item(menu, SPLORE_ACT_FULLSCREEN, tarq_window.tarq_screen_mode ? "fullscreen:on" : "fullscreen:off");
    add_menu_item(menu, SPLORE_ACT_SHUTDOWN, "shutdown tovo");
    add_menu_item(menu, SPLORE_ACT_BACK, "back");
  }
}

void process_cart_menu_action(int32_t type) {
  splore_item* item = splore.list_count ? selected_item() : nullptr;
  char bare[SPLORE_TEXT];
  switch (type) {
    case SPLORE_ACT_RUN:
      cart_menu.which = SPLORE_MENU_NONE;
      action_current_splore_item();
      break;
    case SPLORE_ACT_FAVOURITE:
      splore_toggle_favourite();
      if (splore.list_index == SPLORE_LIST_FAVOURITES) cart_menu.which = SPLORE_MENU_NONE;
      break;
    case SPLORE_ACT_CART_OPTIONS:
    case SPLORE_ACT_OPTIONS: open_menu(type); break;
    case SPLORE_ACT_BACK:
      if (cart_menu.which == SPLORE_MENU_CART) cart_menu.which = SPLORE_MENU_NONE;
      else open_menu(SPLORE_MENU_CART);
      break;
    case SPLORE_ACT_EDIT:
      cart_menu.which = SPLORE_MENU_NONE;
      shell.sub_mode = 0;  // the player has no editor: back to the console
      break;
    case SPLORE_ACT_OPEN_THREAD:
      if (item && item->lid[0]) {
        std::string url = std::string(splore_bbs_base()) + "/bbs/?pid=" + item->lid;
        tarq_launch_html(url.c_str());
      }
      break;
    case SPLORE_ACT_BY_AUTHOR:
    case SPLORE_ACT_SIMILAR:
    case SPLORE_ACT_THREAD:
      if (!item) break;
      cart_menu.which = SPLORE_MENU_NONE;
      strip_lid_version(item->lid, bare);
      if (type == SPLORE_ACT_BY_AUTHOR) {
        snprintf(bare, sizeof bare, "%s", item->author);
        switch_to_search("by:%s", bare);
      } else {
        switch_to_search(type == SPLORE_ACT_SIMILAR ? "similar:%s" : "thread:%s", bare);
      }
      break;
    case SPLORE_ACT_SOUND:
      tovo_set_sound_volume(cconfig.sound_volume ? 0 : app.volume != 0 ? app.volume : 256);
      generate_cart_menu(&cart_menu);
      break;
    case SPLORE_ACT_FULLSCREEN:
      tarq_toggle_fullscreen();
      generate_cart_menu(&cart_menu);
      break;
    case SPLORE_ACT_SHUTDOWN: tarq_request_quit(TARQ_QUIT_AFTER_FRAME); break;
    default:  // 17: re-download does nothing
      break;
  }
}

void update_splore_download() {
  int32_t state = splore_download_state();
  int32_t now = tarq_get_time();
  if (state == SPLORE_DOWNLOAD_RUNNING && now - splore.download.start > 1000 * cconfig.timeout) {
    cancel_download("timeout");
    return;
  }
  if (now - splore.download.start < 500) return;
  if (state == SPLORE_DOWNLOAD_FAILED) {
    set_splore_download_state(SPLORE_DOWNLOAD_IDLE);
    show_message("could not connect to bbs.", 1500);
    return;
  }
  if (state != SPLORE_DOWNLOAD_DONE) return;
  set_splore_download_state(SPLORE_DOWNLOAD_IDLE);
  const char* file = splore.download.file;
  if (strstr(file, ".pip")) finish_page(file);
  else if (strstr(file, ".nfo")) check_cart_update_nfo(file);
  else if (tarq_strcasestr(file, ".kx.png")) finish_cart(file);
}

void splore_update_cartridge_to_newer_version() {
  if (!splore.list_count) return;
  splore_item* item = selected_item();
  char nfo[TARQ_PATH_MAX];
  get_bbs_cart_filename_nfo(item->lid, nfo);
  tarq_stable* table = nfo[0] ? tarq_load_stable_config(nfo) : nullptr;
  if (!table) return;
  snprintf(item->title, sizeof item->title, "%s", tarq_sts(table, "title", 0));
  snprintf(item->author, sizeof item->author, "%s", tarq_sts(table, "author", 0));
  snprintf(item->lid, sizeof item->lid, "%s", tarq_sts(table, "lid", 0));
  snprintf(item->mid, sizeof item->mid, "%s", tarq_sts(table, "mid", 0));
  if (sscanf(tarq_sts(table, "catsub", 0), "%d", &item->catsub) != 1) item->catsub = 0;
  tarq_destroy_stable(table);
  sanitise_splore_item(item);
  splore.newer_version = 0;
  if (splore.list_index == SPLORE_LIST_FAVOURITES) save_splore_favourites();
  suspend_program();
  action_current_splore_item();
}
