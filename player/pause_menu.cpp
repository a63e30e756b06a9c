#include "player/pause_menu.h"

#include <cstdio>
#include <cstring>

#include "console/machine/address_space.h"
#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/platform/events.h"
#include "engine/platform/window.h"
#include "engine/tarq.h"
#include "player/browser/splore.h"
#include "player/browser/splore_download.h"
#include "player/hotkey.h"
#include "player/keyconfig_screen.h"
#include "player/keyqueue.h"
#include "player/shell_state.h"

tovo_pause_menu pause_menu;

namespace {

constexpr int32_t VOLUME_STEP = 32;
constexpr int32_t VOLUME_MIN = 8;
constexpr int32_t VOLUME_MAX = 256;
constexpr char GLYPH_BAR_ON = 16;
constexpr char GLYPH_BAR_OFF = 18;

void block_escape() { tarq_block_key(SDL_SCANCODE_ESCAPE); }

// Player 0's pause button pressed this frame while a cart runs. The buttons
// were read and updated before this check (by the cart's epilogue, or by the
// tick), so the frame's press flag holds the answer; button_pressed would
// see the press only once the repeat counter came round, and a short tap
// would never open the menu.
bool pause_pressed() { return button_state().pressed[0][6] && pstate().held[0][6]; }

// Clears this frame's press of a button of player 0 and blocks it until released.
void swallow(int32_t b) {
  pstate().held[0][b] = 0;
  button_state().blocked[0][b] = 1;
}

void volume_label(char* out, int32_t size) {
  int32_t level = app.volume / 32;
  char bars[9];
  for (int32_t i = 1; i <= 8; i++) bars[i - 1] = level < i ? '-' : cconfig.sound_volume ? GLYPH_BAR_ON : GLYPH_BAR_OFF;
  bars[8] = 0;
  snprintf(out, (size_t)size, "volume: %s", bars);
}

void cart_event(int32_t type, int32_t event) {
  run_state().menu_selected[type - TOVO_ITEM_CART] = event;
  app.menu_event = 1;
  button_config().menu_callback = 1;
  close_paused_menu();
}

void change_volume(int32_t delta) {
  int32_t v = app.volume + delta;
  v = v < VOLUME_MIN ? VOLUME_MIN : v > VOLUME_MAX ? VOLUME_MAX : v;
  app.volume = v;
  tovo_set_sound_volume(v);
  build_paused_menu();
}

void toggle_sound() {
  if (cconfig.sound_volume != 0) tovo_set_sound_volume(0);
  else tovo_set_sound_volume(app.volume != 0 ? app.volume : 256);
  build_paused_menu();
}

void open_state(int32_t state) {
  app.pause_state = state;
  build_paused_menu();
  pause_menu.selected = 0;
}

void choose(int32_t type) {
  switch (type) {
    case TOVO_ITEM_CONTINUE: close_paused_menu(); break;
    case TOVO_ITEM_RESET:
      close_paused_menu();
      pstate().reset_counter = 1;
      break;
    case TOVO_ITEM_FAVOURITE: splore_toggle_favourite_ingame(splore.running_item.lid, splore.running_item.file); break;
    case TOVO_ITEM_SUSPEND:
      close_paused_menu();
      run_state().pending_action = TOVO_PENDING_SUSPEND;
      break;
    case TOVO_ITEM_STOP:
      close_paused_menu();
      suspend_program();
      shell.sub_mode = 0;
      shell.mode = TOVO_MODE_STOPPED;
      pstate().pen = 6;
      break;
    case TOVO_ITEM_RUN_CHAIN:
      follow_current_breadcrumb();
      close_paused_menu();
      break;
    case TOVO_ITEM_QUIT: tarq_request_quit(TARQ_QUIT_AFTER_FRAME); break;
    case TOVO_ITEM_OPTIONS: open_state(TOVO_PAUSE_OPTIONS); break;
    case TOVO_ITEM_SOUND: toggle_sound(); break;
    case TOVO_ITEM_FULLSCREEN:
      tarq_toggle_fullscreen();
      build_paused_menu();
      break;
    case TOVO_ITEM_BACK: open_state(TOVO_PAUSE_MENU); break;
    case TOVO_ITEM_KEYCONFIG:
      keyconfig_init();
      app.pause_state = TOVO_PAUSE_KEYCONFIG;
      block_buttons();
      break;
    case TOVO_ITEM_CONTROLS: app.pause_state = TOVO_PAUSE_CONTROLS; break;
    default:
      if (type > TOVO_ITEM_CART && type <= TOVO_ITEM_CART + TOVO_MENU_ITEMS) cart_event(type, TOVO_MENU_EVENT_CHOSEN);
      break;
  }
}

}  // namespace

void add_paused_menu_item(const char* label, int32_t type) {
  if (pause_menu.count >= TOVO_PAUSE_ITEMS) return;
  paused_menu_item& item = pause_menu.item[pause_menu.count++];
  memset(item.label, 0, sizeof item.label);
  snprintf(item.label, sizeof item.label, "%s", label);
  item.type = type;
}

void build_paused_menu() {
  pause_menu.count = 0;
  if (app.pause_state == TOVO_PAUSE_CLOSED || app.pause_state == TOVO_PAUSE_MENU) {
    add_paused_menu_item("continue", TOVO_ITEM_CONTINUE);
    for (int32_t i = 1; i <= TOVO_MENU_ITEMS; i++)
      if (run_state().menu_label[i][0]) add_paused_menu_item(run_state().menu_label[i], TOVO_ITEM_CART + i);
    add_paused_menu_item("options", TOVO_ITEM_OPTIONS);
    add_paused_menu_item("reset cart", TOVO_ITEM_RESET);
    const char* label = get_run_chain_label();
    if (label) add_paused_menu_item(label, TOVO_ITEM_RUN_CHAIN);
    add_paused_menu_item("quit", TOVO_ITEM_QUIT);
    if (app.run_requested) add_paused_menu_item("shutdown", TOVO_ITEM_QUIT);
  } else if (app.pause_state == TOVO_PAUSE_OPTIONS) {
    add_paused_menu_item(cconfig.sound_volume == 0 ? "sound:off" : "sound:on", TOVO_ITEM_SOUND);
    char volume[TOVO_PAUSE_LABEL + 1];
    volume_label(volume, sizeof volume);
    add_paused_menu_item(volume, TOVO_ITEM_VOLUME);
    add_paused_menu_item(tarq_get_windowed() ? "fullscreen:off" : "fullscreen:on", TOVO_ITEM_FULLSCREEN);
    add_paused_menu_item("controls", TOVO_ITEM_CONTROLS);
    add_paused_menu_item("back", TOVO_ITEM_BACK);
  }
  if (pause_menu.selected >= pause_menu.count) pause_menu.selected = pause_menu.count > 0 ? pause_menu.count - 1 : 0;
}

void update_paused_menu() {
  if (splore.newer_version) {
    splore.newer_version = 0;
    app.pause_state = TOVO_PAUSE_MENU;
    pause_menu.count = 0;
    add_paused_menu_item("update cart", TOVO_ITEM_UPDATE);
    add_paused_menu_item("skip", TOVO_ITEM_CONTINUE);
    pause_menu.selected = 0;
    block_escape();
    block_buttons();
    return;
  }
  if (!pause_pressed() || !shell.program_started || app.pause_state != TOVO_PAUSE_CLOSED) return;
  if (pstate().ram[TOVO_REG_PAUSE_SUPPRESS] == TOVO_PAUSE_SUPPRESS_ONCE) {
    tovo_poke(&pstate(), pstate().cart, TOVO_REG_PAUSE_SUPPRESS, 0);
  } else {
    app.pause_state = TOVO_PAUSE_MENU;
    build_paused_menu();
    pause_menu.selected = 0;
  }
  block_escape();
  block_buttons();
}

void tovo_open_paused_menu(int32_t page, int32_t keep_selection) {
  int32_t previous = pause_menu.selected;
  app.pause_state = TOVO_PAUSE_MENU;
  build_paused_menu();
  pause_menu.selected = keep_selection && previous < pause_menu.count ? previous : 0;
  if (page == 1) {
    app.pause_state = TOVO_PAUSE_CONTROLS;
    pause_menu.selected = 0;
  }
}

void set_paused_menu_state(int32_t state) {
  if (app.pause_state != TOVO_PAUSE_CLOSED && state == TOVO_PAUSE_CLOSED) tovo_key_queue_clear();
  app.pause_state = state;
}

void close_paused_menu() { set_paused_menu_state(TOVO_PAUSE_CLOSED); }

void process_paused_keypresses() {
  int32_t n = pause_menu.count;
  if (n > 0 && button_pressed(2, 0)) pause_menu.selected = (pause_menu.selected + n - 1) % n;
  if (n > 0 && button_pressed(3, 0)) pause_menu.selected = (pause_menu.selected + 1) % n;
  bool left = button_pressed(0, 0), right = button_pressed(1, 0);
  if (n > 0 && (left || right)) {
    int32_t type = pause_menu.item[pause_menu.selected].type;
    if (type == TOVO_ITEM_VOLUME) {
      if (left) change_volume(-VOLUME_STEP);
      if (right) change_volume(VOLUME_STEP);
      swallow(0);
      swallow(1);
    } else if (type > TOVO_ITEM_CART && type <= TOVO_ITEM_CART + TOVO_MENU_ITEMS) {
      cart_event(type, left ? TOVO_MENU_EVENT_LEFT : TOVO_MENU_EVENT_RIGHT);
      swallow(0);
      swallow(1);
    }
  }
  if (button_pressed(4, 0) || button_pressed(5, 0) || button_pressed(6, 0)) {
    for (int32_t b = 4; b <= 6; b++) swallow(b);
    if (pause_menu.count > 0 && app.pause_state != TOVO_PAUSE_CLOSED) choose(pause_menu.item[pause_menu.selected].type);
  }
  if (!tarq_state.paused && app.pause_state == TOVO_PAUSE_CLOSED) block_buttons();
}
