#include "player/hotkey.h"

#include <cstdio>

#include "console/machine/button.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/print/host_output.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/config.h"
#include "engine/platform/events.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"
#include "player/boot.h"
#include "player/capture/clip_record.h"
#include "player/capture/gif.h"
#include "player/capture/record_output.h"
#include "player/capture/screenshot.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/cart/load_reason.h"
#include "player/keyqueue.h"
#include "player/message.h"
#include "player/pause_menu.h"
#include "player/shell_init.h"
#include "player/shell_state.h"
#include "sound/sound.h"

tovo_hotkey_state hotkeys;

namespace {

constexpr int32_t SHORT_MS = 1000;  // on screen 1400 ms
constexpr int32_t LONG_MS = 1500;   // on screen 1900 ms
constexpr int32_t GLYPH_BAR = 16;

bool pressed(int32_t key) { return tarq_get_key_state(key) == 3; }
bool ctrl() { return tarq_get_key_state(TARQ_KEY_CTRL) != 0; }

void empty_key_buffer() {
  while (tarq_keypressed()) tarq_readkey();
}

void after_volume_key() {
  tarq_set_music_volume(256);
  build_paused_menu();
}

// The messages name the file written (in the desktop folder).
void save_screenshot() {
  if (save_png_screenshot(shell.display, 0, 0) == 0) {
    char line[TARQ_PATH_MAX + 32];
    snprintf(line, sizeof line, "saved screenshot: %s", tovo_capture_name());
    show_message(line, SHORT_MS);
  } else {
    show_message("** failed to save screenshot", LONG_MS);
  }
}

void save_clip() {
  int32_t result = save_gif(0, 0);
  char line[TARQ_PATH_MAX + 32];
  snprintf(line, sizeof line, "saved %d second gif: %s", get_current_gif_len(), tovo_capture_name());
  if (result == TOVO_GIF_NO_FRAMES) show_message("no video recorded (rec: ctrl-8)", LONG_MS);
  else if (result != 0) show_message("** failed to save video", LONG_MS);
  else show_message(line, LONG_MS);
  if (app.gif_reset_mode == 1) reset_video();
}

// ctrl-r: the working cart is read again when its file changed, and the cart
// restarts through the reset glitch; at most once per 500 ms.
void reload_and_restart() {
  int32_t now = tovo_clock();
  if (pstate().reset_counter != 0) return;
  if (hotkeys.reloaded && now - hotkeys.last_reload_t <= TOVO_RELOAD_GAP_MS) return;
  do_quick_load();
  close_paused_menu();
  pstate().reset_counter = 1;
  hotkeys.reloaded = 1;
  hotkeys.last_reload_t = now;
  empty_key_buffer();
  block_buttons();
}

// The cart file read again for a run from the stopped screen: the working
// cart's file, or the command-line cart that did not load. False when it
// still does not load (the console and standard error say why).
bool read_cart_file_again() {
  if (app.run_failed) {
    if (load_command_line_cart() != 0) return false;
    app.run_failed = 0;
    app.cart_loaded = 1;
    tarq_set_exit_status(TOVO_EXIT_OK);
    return true;
  }
  if (!disk_state.cart_filename[0]) return true;  // no file: the working cart runs as it is
  char path[TARQ_PATH_MAX];
  snprintf(path, sizeof path, "%s", disk_state.cart_filename);
  if (load_working_cart(path) == 0) return true;
  char line[TARQ_PATH_MAX + 32];
  snprintf(line, sizeof line, "could not load %s", path);
  tovo_print_col(line, 6);
  tovo_report_load_failure(path, path);
  return false;
}

void paste_clipboard() {
  // Kept as the host gives it; stat(4) hands it to the cart as glyph codes.
  char* text = tarq_get_clipboard_text();
  if (text && text[0]) tovo_set_player_clipboard(text);
  tarq_free(text);
  block_buttons();
}

}  // namespace

void tovo_set_sound_volume(int32_t v) { tovo_sound_word_store(cconfig.sound_volume, v); }

int32_t tovo_volume_down(int32_t v) { return v < 32 ? 0 : v > 287 ? 256 : v - 32; }
int32_t tovo_volume_up(int32_t v) { return v < -32 ? 0 : v > 223 ? 256 : v + 32; }

void tovo_volume_line(int32_t volume, char* out) {
  int32_t level = volume / 32;
  char bars[9];
  for (int32_t i = 1; i <= 8; i++) bars[i - 1] = level < i ? '-' : (char)GLYPH_BAR;
  bars[8] = 0;
  snprintf(out, 32, " volume:   %s   (ctrl-/+)", bars);
}

void process_volume_hotkeys() {
  if (!ctrl()) return;
  if (pressed(SDL_SCANCODE_M)) {
    toggle_mute();
    after_volume_key();
  }
  bool down = pressed(SDL_SCANCODE_MINUS), up = pressed(SDL_SCANCODE_EQUALS);
  if (down || up) {
    int32_t v = down ? tovo_volume_down(app.volume) : app.volume;
    if (up) v = tovo_volume_up(v);
    app.volume = v;
    tovo_set_sound_volume(v);
    display_system_volume();
    empty_key_buffer();
    after_volume_key();
  }
}

void toggle_mute() {
  if (cconfig.sound_volume != 0) {
    tovo_set_sound_volume(0);
    show_message("sound off (ctrl-m)", SHORT_MS);
  } else {
    tovo_set_sound_volume(app.volume != 0 ? app.volume : 256);
    show_message("sound on (ctrl-m)", SHORT_MS);
  }
}

void display_system_volume() {
  char line[32];
  tovo_volume_line(app.volume, line);
  show_message(line, LONG_MS);
  message_bar.start -= 1000;  // already in place: no slide in
}

int32_t tovo_function_key_action() {
  int32_t action = 0;
  if (app.allow_function_keys)
    for (int32_t i = 0; i < 5; i++)
      if (pressed(SDL_SCANCODE_F6 + i) || pressed(SDL_SCANCODE_F1 + i)) action = i + 1;
  if (ctrl())
    for (int32_t i = 0; i < 4; i++)
      if (pressed(SDL_SCANCODE_6 + i)) action = i + 1;
  if ((ctrl() && pressed(SDL_SCANCODE_0)) || tarq_get_key_state(TARQ_KEY_ALT) != 0) action = 0;
  return action;
}

void process_function_hotkeys() {
  switch (tovo_function_key_action()) {
    case 1: save_screenshot(); break;
    case 3:
      reset_video();
      show_message("set video starting point", SHORT_MS);
      break;
    case 4: save_clip(); break;
    default: break;
  }
}

void restart_stopped_cart() {
  int32_t now = tovo_clock();
  if (hotkeys.reloaded && now - hotkeys.last_reload_t <= TOVO_RELOAD_GAP_MS) return;
  hotkeys.reloaded = 1;
  hotkeys.last_reload_t = now;
  empty_key_buffer();
  block_buttons();
  if (!read_cart_file_again()) return;
  if (mounted_cart_count() == 0) mount_data_pod_carts();  // a boot that stopped early mounted none
  // The cart starts again with the parameter string it was started with.
  if (run_state().pending_param[0] == 0)
    snprintf(run_state().pending_param, sizeof run_state().pending_param, "%s", run_state().param);
  run_state().pending_action = TOVO_PENDING_RUN;
}

void process_running_keypresses() {
  while (tarq_keypressed()) {
    int32_t code = tarq_readkey();
    if (!ctrl()) {
      if (app.pause_state != 0) continue;
      int32_t c = tovo_typed_code(code);
      if (c >= 0) tovo_key_queue_push((uint8_t)c);
      continue;
    }
    if (code == 'o' || code == 'p') {
      hotkeys.resource_display ^= 1;
      block_buttons();
    } else if (code == 'r') {
      reload_and_restart();
    } else if (code == 'v') {
      paste_clipboard();
    }
    if (code >= 'a' && code <= 'z') tovo_key_queue_push((uint8_t)(code + 95));
  }
}
