// The cart browser's keys and buttons: search entry, favourites, selection,
// list changes, the cart menu and the kiosk exit menu.
#include "player/browser/splore_keys.h"

#include <SDL_scancode.h>

#include <cstring>

#include "console/machine/button_queries.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "engine/data/gfx.h"
#include "engine/platform/events.h"
#include "engine/tarq.h"
#include "player/browser/splore.h"
#include "player/browser/splore_download.h"
#include "player/browser/splore_menu.h"
#include "player/message.h"
#include "player/shell_state.h"

namespace {

int32_t exit_menu = -1;

constexpr const char* WHEEL = " abcdefghijklmnopqrstuvwxyz0123456789";
constexpr int32_t CODE_NONE = -1;  // a key went down that gives no code
constexpr int32_t CODE_BACKSPACE = 8;
constexpr int32_t CODE_DELETE = 127;
constexpr int32_t PAGE_ITEMS = 6;

// Delete, Home, End and the page keys give the engine's queue no code of
// their own: their key states tell which one went down (or repeated).
bool key_hit(int32_t scancode) { return tarq_get_key_state(scancode) == 3; }

bool is_delete(int32_t code) { return (code == CODE_NONE || code == CODE_DELETE) && key_hit(SDL_SCANCODE_DELETE); }

bool is_backspace(int32_t code) { return code == CODE_BACKSPACE || (code == CODE_DELETE && !is_delete(code)); }

// A browsing key that no console button has been bound to.
bool free_key_hit(int32_t code, int32_t scancode) {
  return code == CODE_NONE && key_hit(scancode) && !is_key_bound(scancode);
}

splore_list* current() { return &splore.lists[splore.list_index]; }

bool pressed_bit(int32_t pressed, int b) { return (pressed >> b) & 1; }

void move_selection(int32_t by) {
  splore_list* list = current();
  list->selected += by;
  validate_current_list();
}

void select_item(int32_t index) {
  current()->selected = index;
  validate_current_list();
}

void entry_key(splore_list* list, int32_t code) {
  size_t len = strlen(list->entry_text);
  if (code == 13) {
    splore_search(list->entry_text);
  } else if (code == 27) {
    splore_cancel_text_entry();
  } else if (is_delete(code)) {
    if ((size_t)list->entry_cursor < len)
      memmove(list->entry_text + list->entry_cursor, list->entry_text + list->entry_cursor + 1,
              len - (size_t)list->entry_cursor);
  } else if (is_backspace(code)) {
    if (list->entry_cursor > 0) {
      memmove(list->entry_text + list->entry_cursor - 1, list->entry_text + list->entry_cursor,
              len - (size_t)list->entry_cursor + 1);
      list->entry_cursor--;
    }
  } else if (code >= 16 && code < 256 && len < SPLORE_SEARCH_TEXT_MAX) {
    memmove(list->entry_text + list->entry_cursor + 1, list->entry_text + list->entry_cursor,
            len - (size_t)list->entry_cursor + 1);
    list->entry_text[list->entry_cursor++] = (char)code;
    list->entry_state = 2;
  }
}

void entry_buttons(splore_list* list, int32_t pressed) {
  size_t len = strlen(list->entry_text);
  if (pressed_bit(pressed, 4) || pressed_bit(pressed, 5)) {
    splore_search(list->entry_text);
    return;
  }
  if (pressed_bit(pressed, 6)) {
    splore_cancel_text_entry();
    show_message("cancelled", 1500);
    return;
  }
  if (pressed_bit(pressed, 0) && list->entry_cursor > 0) list->entry_cursor--;
  if (pressed_bit(pressed, 1)) {
    if ((size_t)list->entry_cursor < len) {
      list->entry_cursor++;
    } else if (len <= 20) {
      list->entry_text[len] = ' ';
      list->entry_text[len + 1] = 0;
      list->entry_cursor++;
    }
  }
  if (pressed_bit(pressed, 2) || pressed_bit(pressed, 3)) {
    if (list->entry_state == 1) list->entry_state = 3;
    if (list->entry_state != 3) return;
    if ((size_t)list->entry_cursor >= strlen(list->entry_text)) {
      if (strlen(list->entry_text) >= SPLORE_SEARCH_TEXT_MAX) return;
      list->entry_text[list->entry_cursor] = ' ';
      list->entry_text[list->entry_cursor + 1] = 0;
    }
    const char* at = strchr(WHEEL, list->entry_text[list->entry_cursor]);
    int32_t n = (int32_t)strlen(WHEEL), i = at ? (int32_t)(at - WHEEL) : 0;
    i = (i + (pressed_bit(pressed, 3) ? 1 : n - 1)) % n;
    list->entry_text[list->entry_cursor] = WHEEL[i];
  }
}

}  // namespace

void splore_keypress(int32_t code) {
  if (!splore.list_count) return;
  splore_list* list = current();
  if (list->entry_state) {
    entry_key(list, code);
    return;
  }
  if (code == 27) {
    if (splore_download_state() != SPLORE_DOWNLOAD_IDLE) cancel_download("download cancelled");
    else if (app.kiosk) exit_menu = exit_menu < 0 ? 0 : -1;
    else if (cart_menu.which) cart_menu.which = SPLORE_MENU_NONE;
    else shell.sub_mode = 0;
    return;
  }
  if (code == 'f' && splore.list_index != SPLORE_LIST_FAVOURITES) splore_toggle_favourite();
  if ((is_backspace(code) || is_delete(code)) && splore.list_index == SPLORE_LIST_FAVOURITES) splore_toggle_favourite();
  if (free_key_hit(code, SDL_SCANCODE_PAGEUP)) move_selection(-PAGE_ITEMS);
  if (free_key_hit(code, SDL_SCANCODE_PAGEDOWN)) move_selection(PAGE_ITEMS);
  if (free_key_hit(code, SDL_SCANCODE_HOME)) select_item(0);
  if (free_key_hit(code, SDL_SCANCODE_END)) select_item(list->count - 1);
}

void splore_controls(int32_t pressed) {
  if (!splore.list_count) return;
  splore_list* list = current();
  if (list->entry_state) {
    entry_buttons(list, pressed);
    return;
  }
  if (exit_menu >= 0) {
    if (pressed_bit(pressed, 2)) exit_menu = (exit_menu + SPLORE_EXIT_MENU_ENTRIES - 1) % SPLORE_EXIT_MENU_ENTRIES;
    if (pressed_bit(pressed, 3)) exit_menu = (exit_menu + 1) % SPLORE_EXIT_MENU_ENTRIES;
    if (pressed_bit(pressed, 4) || pressed_bit(pressed, 5)) splore_exit_menu_action(exit_menu);
    return;
  }
  if (cart_menu.which) {
    if (pressed_bit(pressed, 2) && cart_menu.selected > 0) cart_menu.selected--;
    if (pressed_bit(pressed, 3) && cart_menu.selected < cart_menu.count - 1) cart_menu.selected++;
    if (pressed_bit(pressed, 4) || pressed_bit(pressed, 5))
      process_cart_menu_action(cart_menu.items[cart_menu.selected].type);
    return;
  }
  if (pressed_bit(pressed, 2)) move_selection(-1);
  if (pressed_bit(pressed, 3)) move_selection(1);
  if (!app.kiosk && (pressed_bit(pressed, 0) || pressed_bit(pressed, 1))) {
    int32_t step = pressed_bit(pressed, 0) ? SPLORE_LISTS_USED - 1 : 1;
    splore.list_index = (splore.list_index + step) % SPLORE_LISTS_USED;
    update_list_favourites(current());
    validate_current_list();
  }
  bool menu = pressed_bit(pressed, 6) && !app.kiosk && cart_menu_pop();
  if (pressed_bit(pressed, 4) || pressed_bit(pressed, 5) || (pressed_bit(pressed, 6) && !menu))
    action_current_splore_item();
}

void splore_exit_menu_action(int32_t entry) {
  exit_menu = -1;
  if (entry == 0) {
    tarq_request_quit(TARQ_QUIT_AFTER_FRAME);
  } else if (entry == 1) {
    shell.sub_mode = 0;
    if (pstate().draw_target) tarq_clear_bitmap(pstate().draw_target);
    pstate().cursor_x = pstate().cursor_y = 0;
    tovo_print_col("::::::  tovo console  ::::::", 6);
    tovo_print_col("type splore to return to splore", 6);
    tovo_print_col("type help for help", 6);
  }
}

int32_t splore_exit_menu_entry() { return exit_menu; }
