// The shell's routines behind the console's port: cart data and cart
// storage, the pause menu and message bar, screenshots, clips and the label,
// the working cart and the cart file system, sound and settings.
#include "player/console_port.h"

#include <cstdio>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "engine/io/path.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "player/browser/splore.h"
#include "player/capture/clip_record.h"
#include "player/capture/gif.h"
#include "player/capture/record_output.h"
#include "player/capture/screenshot.h"
#include "player/cart/backup.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_installers.h"
#include "player/cart/cdata.h"
#include "player/cart/compress.h"
#include "player/cart/cstore.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/cart/drop.h"
#include "player/cart/prompt_files.h"
#include "player/clipboard/clip_cart.h"
#include "player/keyconfig_screen.h"
#include "player/message.h"
#include "player/pause_menu.h"
#include "player/shell_settings.h"
#include "player/shell_state.h"
#include "sound/play/play.h"

namespace {

int copy_path(const char* path, char* out, int size) {
  int n = snprintf(out, static_cast<size_t>(size), "%s", path);
  return n < 0 || n >= size;
}

void save_cdata_now() { save_cdata(); }

int load_cdata_for(const char* id, const char** message) {
  int r = load_cdata(id);
  *message = r == TOVO_CDATA_ERROR ? tovo_cdata_error : nullptr;
  return r;
}

int cdata_opened() { return disk_state.cdata_id[0] != 0; }

int mounted_sandboxed_file(const char* name, char* out, int size) {
  const tovo_mounted_cart* mounted = get_embedded_cart_hash_for_filename(name, 0);
  if (!mounted) return 1;
  return copy_path(get_sandboxed_cstore_filename(mounted->hash), out, size);
}

int cstore_file_for_name(const char* name, char* out, int size) {
  char path[TARQ_PATH_MAX];
  return tovo_cstore_path_for_name(name, path) != 0 || copy_path(path, out, size) != 0;
}

int own_cstore_file(char* out, int size) {
  if (!disk_state.saved_hash[0]) return 1;
  return copy_path(get_sandboxed_cstore_filename(disk_state.saved_hash), out, size);
}

int32_t menu_item_count() {
  build_paused_menu();
  return pause_menu.count;
}

void set_label() { set_cart_label(); }
int32_t save_screen(int32_t scale, int32_t destination) {
  return save_png_screenshot(shell.video_frame, scale, destination);
}
void record_screen() { record_video_frame(shell.video_frame); }

void hash_working_cart() {
  if (pitem(0)) hash_cart(pitem(0), disk_state.saved_hash);
}
const char* working_cart_hash() { return disk_state.saved_hash; }

int32_t is_mounted(const char* name) { return get_embedded_cart_hash_for_filename(name, 1) != nullptr; }
int32_t load_named_cart(const char* name) { return load_working_cart(name); }

int32_t take_load_reason() {
  int32_t reason = disk_state.text_cart_reason;
  disk_state.text_cart_reason = 0;
  return reason;
}

const char* current_filename() { return disk_state.cart_filename; }
const char* root_path() { return shell.root_path; }
const char* current_folder() { return shell.current_folder; }

const char* bbs_path() {
  static char path[TARQ_PATH_MAX];
  tarq_prefix_with_appdata_path("bbs/", path);
  return path;
}

// The compressed size of code text as the save road measures it.
int32_t compressed_size(const char* code) {
  int32_t length = 0;
  while (code[length]) length++;
  uint8_t* block = static_cast<uint8_t*>(tarq_malloc(static_cast<size_t>(length) + 1));
  if (!block) return length;
  int32_t size = compress_mini(code, block, length);
  tarq_free(block);
  return size;
}

int32_t external_changes() { return detect_external_changes(); }
void quick_save() { do_quick_save(1); }
void backup_current_file() { save_backup(disk_state.cart_filename, 0); }
int32_t save_to_clipboard() { return save_cart_to_clipboard(pitem(0)); }
void open_folder(const char* path) { tarq_launch_html(path); }
void install_demos() { install_demo_carts(); }  // failures are printed

void stop_sound() {
  tarq_stop_all_sounds();
  tarq_stop_tovo_song(nullptr);
}

void clear_kiosk() { app.kiosk = 0; }

tarq_ctext* code_tab_record(int32_t tab) { return tab >= 0 && tab < TOVO_CODE_TABS ? shell.tabs[tab] : nullptr; }

}  // namespace

int connect_console_to_shell() {
  tovo_shell_port port{};
  port.save_cdata = save_cdata_now;
  port.load_cdata = load_cdata_for;
  port.cdata_opened = cdata_opened;
  port.mounted_sandboxed_file = mounted_sandboxed_file;
  port.cstore_file_for_name = cstore_file_for_name;
  port.own_cstore_file = own_cstore_file;
  port.file_exists = tarq_file_exists;
  port.reload_cart_partial = reload_cart_partial;
  port.cstore_cart_partial = cstore_cart_partial;
  port.output_path_for = prefix_with_file_output_path;

  port.update_paused_menu = update_paused_menu;
  port.build_paused_menu = tovo_open_paused_menu;
  port.close_paused_menu = close_paused_menu;
  port.menu_item_count = menu_item_count;
  port.show_message = show_message;

  port.copy_back_page = tovo_copy_back_page;
  port.set_cart_label = set_label;
  port.save_screenshot = save_screen;
  port.save_video = save_gif;
  port.gif_seconds = get_current_gif_len;
  port.capture_name = tovo_capture_name;
  port.reset_video = reset_video;
  port.record_video_frame = record_screen;

  port.hash_working_cart = hash_working_cart;
  port.working_cart_hash = working_cart_hash;
  port.is_mounted = is_mounted;
  port.load_working_cart = load_named_cart;
  port.load_dropped_cart = load_dropped_cart;
  port.take_load_reason = take_load_reason;
  port.current_filename = current_filename;
  port.root_path = root_path;
  port.current_folder = current_folder;
  port.bbs_path = bbs_path;
  port.compressed_size = compressed_size;
  port.external_changes = external_changes;
  port.unsaved_changes = detect_unsaved_changes;
  port.save_cart = tovo_save_named_cart;
  port.quick_save = quick_save;
  port.save_backup = backup_current_file;
  port.unsaved_changes_confirmation = unsaved_changes_confirmation;
  port.save_to_clipboard = save_to_clipboard;
  port.change_folder = tovo_change_folder;
  port.make_folder = tovo_make_folder;
  port.list_files = tovo_list_files;
  port.open_folder = open_folder;
  port.install_demos = install_demos;
  port.install_games = install_games;
  port.open_keyconfig = keyconfig_open;

  port.code_tab_record = code_tab_record;
  port.stop_sound = stop_sound;
  port.clear_kiosk = clear_kiosk;
  port.reset_splore_animation = reset_splore_animation;
  port.get_setting = tovo_get_shell_setting;
  port.set_setting = tovo_set_shell_setting;
  return tovo_connect_shell(port);
}
