// Joins the run loop's calls for the working cart, mounted carts, cart data,
// sound stops and the shell's folders to the shell: installed when the
// program starts (the player library is linked whole, so this file's
// initialiser always runs).
#include <cstdio>

#include "console/code_tabs.h"
#include "console/pstate.h"
#include "console/shell_standin.h"
#include "engine/host.h"
#include "engine/path.h"
#include "player/cart_image.h"
#include "player/cdata.h"
#include "player/clip_codes.h"
#include "player/disk.h"
#include "player/disk_state.h"
#include "player/shell_settings.h"
#include "player/shell_state.h"
#include "sound/play.h"

namespace {

int32_t is_mounted(const char* name) { return get_embedded_cart_hash_for_filename(name, 1) != nullptr; }

// A mounted cart (or a cart file) becomes the working cart, its code cut into
// the code tabs that run_cart joins.
int32_t load_mounted(const char* name) {
  if (load_working_cart(name) != 0) return 1;
  split_code_to_tabs(pitem[0]);
  return 0;
}

const char* current_filename() { return disk_state.cart_filename; }
const char* root_path() { return shell.root_path; }

const char* bbs_path() {
  static char path[TARQ_PATH_MAX];
  tarq_prefix_with_appdata_path("bbs/", path);
  return path;
}

void hash_working_cart() {
  if (pitem[0]) hash_cart(pitem[0], disk_state.saved_hash);
}

void save_cdata_hook() { save_cdata(); }

void stop_sound() {
  tarq_stop_all_sounds();
  tarq_stop_tovo_song(nullptr);
}

int32_t take_load_reason() {
  int32_t reason = disk_state.text_cart_reason;
  disk_state.text_cart_reason = 0;
  return reason;
}

void clear_kiosk() { app.kiosk = 0; }

int32_t save_to_clipboard() { return save_cart_to_clipboard(pitem[0]); }

bool install() {
  tovo_shell_hooks.is_mounted = is_mounted;
  tovo_shell_hooks.load_working_cart = load_mounted;
  tovo_shell_hooks.current_filename = current_filename;
  tovo_shell_hooks.root_path = root_path;
  tovo_shell_hooks.bbs_path = bbs_path;
  tovo_shell_hooks.hash_working_cart = hash_working_cart;
  tovo_shell_hooks.save_cdata = save_cdata_hook;
  tovo_shell_hooks.stop_sound = stop_sound;
  tovo_shell_hooks.take_load_reason = take_load_reason;
  tovo_shell_hooks.clear_kiosk = clear_kiosk;
  tovo_shell_hooks.save_to_clipboard = save_to_clipboard;
  tovo_shell_hooks.get_setting = tovo_get_shell_setting;
  tovo_shell_hooks.set_setting = tovo_set_shell_setting;
  return true;
}

const bool installed = install();

}  // namespace
