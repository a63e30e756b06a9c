// The bulletin-board download poller of the running tick: time-out, cancel,
// loading what arrived, and the update check of a running cart.
#include <SDL_scancode.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "console/bindings/stat.h"
#include "console/machine/button.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/code_tabs.h"
#include "console/run/run.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/formats/stable.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "player/browser/splore_download.h"
#include "player/cart/cart_png.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/message.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t BROWSER_SUB_MODE = 2;
constexpr int32_t MESSAGE_MS = 1900;
constexpr int32_t PAUSE_BUTTON = 6;

bool before_start() { return !shell.program_started; }

// Printed on the console before the program started, else on the message bar.
void tell(const char* text) {
  if (before_start()) tovo_print_col(text, 6);
  else show_message(text, MESSAGE_MS);
}

void give_up(const char* message) {
  cancel_download(nullptr);
  run_chain_cancel_pending();
  if (before_start()) {
    if (std::strcmp(message, "download timed out") == 0) pstate().cursor_y -= TOVO_CONSOLE_LINE_HEIGHT;
    tovo_print_col(message, 6);
  }
}

// Reports the loaded cart before the program started (or with exec), else
// starts it after a short load delay.
void report_or_start(const char* id, const char* title) {
  if (pitem(0)) split_code_to_tabs(pitem(0));  // a run takes the code from the tabs
  if (before_start() || run_state().exec) {
    tovo_print_col("downloading.. ok", 6);
    tovo_print_col(title, 14);
    int32_t chars = pitem(0) && pitem(0)->code ? (int32_t)strlen(pitem(0)->code) : 0;
    char line[SPLORE_TEXT + 32];
    snprintf(line, sizeof line, "loaded #%s (%d chars)", id, chars);
    tovo_print_col(line, 6);
    return;
  }
  run_chain_confirm_pending();
  run_state().pending_action = TOVO_PENDING_RUN;
  run_state().load_delay = 20;
}

// The information table, or the same path without its "temp-" prefix.
tarq_stable* load_info(const char* path) {
  tarq_stable* table = tarq_load_stable_config(path);
  if (table) return table;
  std::string other = path;
  size_t at = other.rfind("/temp-");
  if (at == std::string::npos) return nullptr;
  other.erase(at + 1, 5);
  return tarq_load_stable_config(other.c_str());
}

void finish_info(const char* path) {
  tarq_stable* table = load_info(path);
  if (!table) {
    if (before_start()) tovo_print_col("could not connect to bbs", 6);
    run_chain_cancel_pending();
    app.play_source = -3;
    return;
  }
  const char* lid = tarq_sts(table, "lid", 0);
  if (strlen(lid) < 2) {
    bool unknown = strcmp(tarq_sts(table, "catsub", 0), "0") == 0;
    if (unknown) {
      if (before_start()) tovo_print_col("could not find cart", 6);
      app.play_source = -1;
    } else {
      tell("could not fetch cart");
      app.play_source = -2;
    }
    run_chain_cancel_pending();
    run_state().load_delay = 0;
    tarq_destroy_stable(table);
    return;
  }
  char id[SPLORE_TEXT];
  snprintf(id, sizeof id, "%s", lid);
  tarq_destroy_stable(table);
  set_running_item_from_nfo(path);
  char cart[TARQ_PATH_MAX];
  get_bbs_cart_filename(id, cart);
  if (cart[0] && tarq_file_exists(cart) && load_working_cart(cart) == 0) {
    app.play_source = 5;
    report_or_start(id, splore.running_item.title);
  } else {
    snprintf(splore.download.title, sizeof splore.download.title, "%s", splore.running_item.title);
    clean_tovo_string(splore.download.title);
    download_bbs_cart(id);
  }
  shell.spinner_frame = 0;
}

void finish_cart(const char* path) {
  tovo_cart* cart = load_tovo_cart_png(path);
  if (!cart) {
    int32_t reason = disk_state.png_cart_reason;
    app.play_source = -10 - reason;
    show_message(splore_cart_failure_text(reason), MESSAGE_MS);
    return;
  }
  prepare_loaded_cart(cart, path);
  app.play_source = 6;
  char id[SPLORE_TEXT];
  get_lid_from_filename(path, id, sizeof id);
  report_or_start(id, splore.download.title);
}

}  // namespace

bool set_running_item_from_nfo(const char* path) {
  tarq_stable* table = load_info(path);
  if (!table) return false;
  splore_item item{};
  snprintf(item.title, sizeof item.title, "%s", tarq_sts(table, "title", 0));
  snprintf(item.author, sizeof item.author, "%s", tarq_sts(table, "author", 0));
  snprintf(item.lid, sizeof item.lid, "%s", tarq_sts(table, "lid", 0));
  snprintf(item.mid, sizeof item.mid, "%s", tarq_sts(table, "mid", 0));
  if (sscanf(tarq_sts(table, "catsub", 0), "%d", &item.catsub) != 1) item.catsub = 0;
  tarq_destroy_stable(table);
  item.kind = SPLORE_KIND_CART;
  item.icon = SPLORE_ICON_CART;
  sanitise_splore_item(&item);
  splore.running_item = item;
  return true;
}

void update_load_download() {
  int32_t state = splore_download_state();
  bool running = state == SPLORE_DOWNLOAD_RUNNING || state == SPLORE_DOWNLOAD_QUIET;
  if (running && tarq_get_time() > splore.download.start + 1000 * cconfig.timeout) {
    give_up("download timed out");
    return;
  }
  bool pause = shell.program_started && button_pressed(PAUSE_BUTTON, 0);
  if (running && (tarq_key_down(SDL_SCANCODE_ESCAPE) || pause)) {
    give_up("downloading.. cancelled");
    button_state().pressed[0][PAUSE_BUTTON] = 0;
    button_state().blocked[0][PAUSE_BUTTON] = 1;
    return;
  }
  if (state == SPLORE_DOWNLOAD_DONE) {
    set_splore_download_state(SPLORE_DOWNLOAD_IDLE);
    if (tarq_strcasestr(splore.download.file, ".nfo")) {
      if (splore.download.kind == SPLORE_AWAIT_INFO) finish_info(splore.download.file);
      else check_cart_update_nfo(splore.download.file);
      return;
    }
    finish_cart(splore.download.file);
    return;
  }
  if (state == SPLORE_DOWNLOAD_FAILED) {
    set_splore_download_state(SPLORE_DOWNLOAD_IDLE);
    app.play_source = -3;
    run_chain_cancel_pending();
    tell("download failed");
  }
}

void check_cart_update_nfo(const char* path) {
  if (!tovo_bbs_cart_running() && !app.kiosk) return;
  tarq_stable* table = tarq_load_stable_config(path);
  if (!table) return;
  char lid[SPLORE_TEXT], cache[TARQ_PATH_MAX];
  snprintf(lid, sizeof lid, "%s", tarq_sts(table, "lid", 0));
  tarq_destroy_stable(table);
  get_bbs_cart_filename(lid, cache);
  if (strlen(lid) >= 2 && shell.sub_mode == BROWSER_SUB_MODE && !run_chain_has_pending() && cache[0] &&
      strcmp(cache, disk_state.cart_filename) != 0)
    splore.newer_version = 1;
}
