// Boot sequence, and the splash picture before it with its tick.
#include "player/boot.h"
#include "player/keyqueue.h"
#include "player/message.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "console/draw/extpal_glitch.h"
#include "console/machine/button.h"
#include "console/machine/cart.h"
#include "console/machine/machine_prng.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/run.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/data/prng.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/log.h"
#include "engine/log_format.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"
#include "player/browser/splore.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_text.h"
#include "player/cart/disk.h"
#include "player/cart/load_reason.h"
#include "player/command_history.h"
#include "player/shell_init.h"
#include "player/shell_state.h"
#include "sound/play/play.h"
#include "sound/sound.h"

namespace {

constexpr const char* NOTICE = "a console of our own making";

void print_line(const char* text) { tovo_print_col(text, pstate().pen); }

void log_text(const char* format, const char* text) { tarq_logf(format, text); }

void draw_logo() {
  tarq_bitmap* logo = shell.resources ? (tarq_bitmap*)cpod_get_item(shell.resources, 2, TARQ_ITEM_BITMAP) : nullptr;
  if (logo && pstate().draw_target) tarq_blit(logo, pstate().draw_target, 0, 0, 1, 1, logo->width, logo->height);
}

void put(int32_t x, int32_t y, int32_t c) {
  tarq_bitmap* t = pstate().draw_target;
  if (t && x >= 0 && y >= 0 && x < t->width && y < t->height) t->rows[y][x] = (uint8_t)c;
}

int32_t get(int32_t x, int32_t y) {
  tarq_bitmap* t = pstate().draw_target;
  return t && x >= 0 && y >= 0 && x < t->width && y < t->height ? t->rows[y][x] : 0;
}

void clear_screen() {
  if (pstate().draw_target) tarq_clear_bitmap(pstate().draw_target);
  pstate().cursor_x = pstate().cursor_y = 0;
}

// The command-line cart, at t = 36.
void serve_command_line_cart() {
  if (app.cart_name[0] == 0) {
    if (app.run_requested) tovo_print_col("no boot cartridge specified", 6);
    app.run_requested = 0;
    return;
  }
  app.cart_loaded = load_command_line_cart() == 0;
  if (!app.cart_loaded) {
    // A cart that was asked to run and cannot be loaded ends the boot on
    // this message; the program then ends with the status of a failed start.
    if (app.run_requested) {
      app.run_failed = 1;
      tarq_set_exit_status(TOVO_EXIT_CANNOT_START);
    }
    app.run_requested = 0;
  }
}

void step_36() {
  print_line(NOTICE);
  print_line("");
  if (get_boot_fps() <= 29) {
    tovo_print_col("warning: running below 30fps", 14);
    print_line("");
  }
  tovo_print_col("booting cartridge..", 6);
  serve_command_line_cart();
  char carts[TARQ_PATH_MAX];
  tarq_prefix_with_appdata_path("carts/", carts);
  tarq_mkdir(carts);
  if (!tarq_file_exists(carts)) {
    tovo_print_col("** warning: no permanent storage", 8);
    print_line("");
  }
  if (app.run_failed) {
    shell.mode = TOVO_MODE_STOPPED;
  } else if (app.browser_requested) {
    print_line("booting splore..");
  } else if (app.cart_loaded) {
    char line[TARQ_PATH_MAX + 16];
    if (app.run_requested) snprintf(line, sizeof line, "booting cartridge..");
    else snprintf(line, sizeof line, "loading %s", app.cart_name);
    print_line(line);
    print_line("");
  }
}

}  // namespace

int32_t load_command_line_cart() {
  char name[TARQ_PATH_MAX], path[TARQ_PATH_MAX];
  const char* n = app.cart_name;
  if (n[0] == '/' || n[0] == '\\' || (n[0] && n[1] == ':')) snprintf(name, sizeof name, "%s", n);
  else if (snprintf(name, sizeof name, "%s%s", shell.current_folder, n) >= (int)sizeof name) name[0] = 0;
  if (tarq_resolve_filename(name, path) != 0) snprintf(path, sizeof path, "%s", name);
  log_text("loading %s\n", path);
  const char* inside = shell.root_path[0] ? strstr(path, shell.root_path) : nullptr;
  if (inside) {
    snprintf(shell.current_folder, sizeof shell.current_folder, "%s", inside + strlen(shell.root_path));
    char* slash = strrchr(shell.current_folder, '/');
    if (slash) slash[1] = 0;
    else shell.current_folder[0] = 0;
    log_text("set current path: %s\n", shell.current_folder);
  }
  if (load_working_cart(path) == 0) return 0;
  char line[TARQ_PATH_MAX + 32];
  snprintf(line, sizeof line, "could not load %s", app.cart_name);
  tovo_print_col(line, 6);
  tovo_report_load_failure(app.cart_name, path);
  return 1;
}

namespace {

// A cart from the 32 KiB image of a data-pod item; null when it is no image.
tovo_cart* cart_from_item(tarq_file* item) {
  if (!item || item->kind != TARQ_FILE_MEMORY || item->size < TOVO_CART_IMAGE_SIZE) return nullptr;
  tovo_cart* cart = tarq_create_tovo_cart();
  if (!cart) return nullptr;
  item->pos = 0;
  load_tovo_cart_32k(cart, item->data);
  cart->version = TOVO_CART_VERSION;
  return cart;
}

}  // namespace

void boot_init() {
  pstate().ticks = -15;
  shell.mode = TOVO_MODE_BOOT;
  run_state().echo_reports = 0;  // the boot's lines are for the screen only
  reset_lua_machine();
  reset_runtime_state();
  shell.program_started = 0;
  print_line("");
  pstate().pen = 7;
  if (pstate().draw_target) tarq_clear_bitmap(pstate().draw_target);
  if (shell.display) tarq_clear_bitmap(shell.display);
  tovo_cart* working = pitem(0);
  if (working && working->gfx) {
    tarq_line(working->gfx, 2, 2, 5, 5, 7);
    tarq_line(working->gfx, 5, 2, 2, 5, 7);
  }
  tovo_srand((uint32_t)time(nullptr) + (uint32_t)tarq_get_time());
  tarq_stop_all_sounds();
  tarq_stop_tovo_song(nullptr);
  reset_extpal_glitch();
  message_bar = {};
  clear_command_history();
  tovo_key_queue_clear();
  tarq_set_audio_pause(0);
  while (tarq_keypressed()) tarq_readkey();
}

void move_boot() {
  int32_t t = pstate().ticks;
  if (t == -3)
    for (int32_t y = 0; y < 128; y++)
      for (int32_t x = 2; x < 128; x += 8) put(x, y, y / 32 + (int32_t)tarq_random(4));
  if (t == 0)
    for (int32_t y = 0; y < 128; y += 2)
      for (int32_t x = 0; x < 128; x += 4) put(x, y, ((x + y) / 8) % 8 + 6);
  if (t == 3)
    for (int32_t y = 0; y < 128; y += 3)
      for (int32_t x = 2; x < 128; x += 4) put(x, y, 10 + (int32_t)tarq_random(4));
  if (t == 5)
    for (int32_t y = 0; y < 128; y++)
      for (int32_t x = 1; x < 126; x += 2) put(x, y, get(x + 1, y));
  if (t == 8)
    for (int32_t y = 1; y < 128; y++)
      if (y % 4 != 0)
        for (int32_t x = 0; x < 128; x++) put(x, y, 0);
  if (t == 11) clear_screen();
  if (t == 26) {
    clear_screen();
    if (shell.boot_cart) tarq_play_sfx(&shell.boot_cart->sfx[0], shell.boot_cart);
    print_line("");
    print_line("");
    draw_logo();
    pstate().pen = 6;
  }
  if (t == 31) {
    char banner[32];
    snprintf(banner, sizeof banner, "tovo %s", TOVO_VERSION_TEXT);
    print_line(banner);
    draw_logo();
  }
  if (t == 36) step_36();
  if (t == 56 && app.cart_loaded && !app.run_requested) shell.mode = TOVO_MODE_STOPPED;
  if (shell.mode != TOVO_MODE_BOOT) return;
  if (t == 66 && app.browser_requested) {
    shell.mode = TOVO_MODE_STOPPED;
    pstate().pen = 6;
    splore_enter();
    shell.sub_mode = 2;
  }
  if (shell.mode != TOVO_MODE_BOOT) return;
  if (t == 76) boot_embedded_cart();
  if (t == 86 && app.cart_loaded && app.run_requested) run_state().pending_action = TOVO_PENDING_RUN;
}

void boot_embedded_cart() {
  clear_embedded_carts();
  tarq_file* head = shell.data_pod ? (tarq_file*)cpod_get_item(shell.data_pod, 3, TARQ_ITEM_FILE) : nullptr;
  tovo_cart* cart = cart_from_item(head);
  if (!cart) {
    tovo_print_col("head cart not found\n", 6);
    return;
  }
  // A cart from the command line that is to run stays the working cart; the
  // pod's carts are mounted all the same.
  if (app.cart_loaded && app.run_requested) {
    tarq_destroy_tovo_cart(cart);
  } else {
    prepare_loaded_cart(cart, head->name);
  }
  mount_data_pod_carts();
  shell.mode = TOVO_MODE_STOPPED;
  run_state().pending_action = TOVO_PENDING_RUN;
}

void mount_data_pod_carts() {
  clear_embedded_carts();
  for (int32_t i = 3; shell.data_pod && i < shell.data_pod->count; i++) {
    tarq_file* item = (tarq_file*)cpod_get_item(shell.data_pod, i, TARQ_ITEM_FILE);
    tovo_cart* c = cart_from_item(item);
    if (!c) continue;
    mount_embedded_cart(c, item->name);
    tarq_destroy_tovo_cart(c);
  }
}

int32_t get_boot_fps() {
  // Host frames, not draws: a frame with no tick due is not drawn, so draws
  // never outnumber ticks and would put any machine at 30 or just below.
  if (app.draw_calls <= 0 || app.host_frames <= 0) return 0;
  int32_t mean = (tovo_clock() - app.first_draw_t) / app.host_frames;
  return mean > 0 ? 1000 / mean : 1000;
}

// The splash picture before the boot sequence, and its tick.
namespace {

constexpr int32_t SPLASH_BUTTONS = 7;  // buttons 0-6 of player 0

}  // namespace

int32_t load_splash_bmp() { return 0; }

void move_splash() {
  bool restart = tarq_get_any_key_down() != 0;
  for (int32_t b = 0; b < SPLASH_BUTTONS && !restart; b++) restart = button_pressed(b, 0) != 0;
  if (restart) boot_init();
}
