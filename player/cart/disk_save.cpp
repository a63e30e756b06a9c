// Saving the working cart and noticing changes made to its file.
#include <cstdio>
#include <cstring>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/code_tabs.h"
#include "console/run/include.h"
#include "engine/data/gfx.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "player/cart/backup.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_png.h"
#include "player/cart/cart_text.h"
#include "player/cart/compress.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/clipboard/activity_log.h"
#include "player/message.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t PLAIN = 6;
constexpr int32_t WARNING = 9;
constexpr int32_t ERROR = 8;
constexpr int32_t HINT = 10;
constexpr int32_t MAX_SAVED_CODE = 65536;

bool name_has(const char* name, const char* part) { return tarq_strcasestr(name, part) != nullptr; }

void print_sizes(int32_t size, int32_t colour) {
  char line[64];
  snprintf(line, sizeof line, "%d / %d bytes", size, TOVO_CODE_AREA_SIZE);
  tovo_print_col(line, colour);
}

// The image forms: the flattened code goes into the cart and its tabs, then
// the cart is written. 0 written.
int save_image_form(tovo_cart* cart, const char* name, const char* flat, bool flattened) {
  snprintf(cart->code, TOVO_CODE_SIZE, "%s", flat);
  split_code_to_tabs(cart);
  int result = name_has(name, ".rom") ? save_tovo_cart_rom(cart, name) : save_tovo_cart_png(cart, name);
  if (flattened) tovo_print_col("flattened #includes", WARNING);
  return result;
}

// The checks before writing; false when the cart cannot be saved so.
bool code_fits(const tovo_cart* cart, const char* name, const char* flat) {
  int32_t length = static_cast<int32_t>(strlen(flat));
  if (length > MAX_SAVED_CODE) {
    tovo_print_col("program over size limit\n", PLAIN);
    return false;
  }
  uint8_t* block = static_cast<uint8_t*>(tarq_malloc(static_cast<size_t>(length) + 1));
  if (!block) return false;
  int32_t size = compress_mini(flat, block, length);
  tarq_free(block);
  bool image = name_has(name, ".png") || name_has(name, ".rom");
  if (image && size > TOVO_CODE_AREA_SIZE) {
    tovo_print_col("compressed code size too large\n", ERROR);
    print_sizes(size, ERROR);
    return false;
  }
  if (name_has(name, ".png") && label_is_blank(cart->label)) {
    tovo_print_col("warning: label is blank", WARNING);
    tovo_print_col("run cart and ctrl-7 to capture", HINT);
  }
  if (!image && size > TOVO_CODE_AREA_SIZE) {
    tovo_print_col("warning: compressed code too big", WARNING);
    tovo_print_col("to be exported or saved as png", WARNING);
    print_sizes(size, PLAIN);
    tovo_print_col("(saving .kx anyway)", PLAIN);
  }
  return true;
}

int write_working_cart(tovo_cart* cart, const char* name) {
  merge_code_from_tabs(cart);
  char* flat = static_cast<char*>(tarq_malloc(TOVO_CODE_SIZE));
  if (!flat) return 1;
  tovo_text_result result = {};
  bool flattened_ok = tovo_flatten_includes(cart->code, flat, TOVO_CODE_SIZE, &result) == 0;
  if (!flattened_ok && name_has(name, ".png")) {
    tarq_free(flat);
    return 1;
  }
  if (!flattened_ok) snprintf(flat, TOVO_CODE_SIZE, "%s", cart->code);
  bool flattened = strcmp(flat, cart->code) != 0;

  int status = 1;
  if (code_fits(cart, name, flat)) {
    char path[TARQ_PATH_MAX];
    inject_kx_extention(name, path);
    if (path[0]) {
      if (strcmp(path, disk_state.cart_filename) != 0 && tarq_file_exists(path)) save_backup(path, 1);
      bool image = name_has(path, ".png") || name_has(path, ".rom");
      status = image ? save_image_form(cart, path, flat, flattened) : tarq_save_tovo_cart(cart, path);
      if (status == 0) snprintf(disk_state.cart_filename, sizeof disk_state.cart_filename, "%s", path);
    }
  }
  tarq_free(flat);
  return status;
}

}  // namespace

int unsaved_changes_confirmation(const char*) { return 0; }

int save_working_cart(const char* name) {
  tovo_cart* cart = pitem(0);
  if (!cart || !name || write_working_cart(cart, name) != 0) {
    show_message("** failed to save **", 1500);
    return 1;
  }
  hash_cart(cart, disk_state.saved_hash);
  update_window_title();
  return 0;
}

void do_quick_save(int from_prompt) {
  const char* name = disk_state.cart_filename;
  if (!name[0]) {
    if (from_prompt) tovo_print_col("please speficy a filename", PLAIN);
    else show_message("*** no filename. not saved! ***", 1500);
    return;
  }
  char bbs[TARQ_PATH_MAX];
  if (tarq_prefix_with_appdata_path("bbs/", bbs) == 0 && strncmp(name, bbs, strlen(bbs)) == 0) {
    if (from_prompt) tovo_print_col("can not overwrite bbs cart", PLAIN);
    else show_message("* can not overwrite bbs cart! *", 1500);
    return;
  }
  char saving[TARQ_PATH_MAX];
  snprintf(saving, sizeof saving, "%s", name);
  if (save_working_cart(saving) != 0) {
    if (from_prompt) tovo_print_col("save failed", PLAIN);
    else show_message("** save failed **", 1500);
    return;
  }
  char folder[TARQ_PATH_MAX], base[TARQ_PATH_MAX], ext[TARQ_PATH_MAX], line[4 * TARQ_PATH_MAX];
  tarq_split_filename(disk_state.cart_filename, folder, base, ext);
  if (from_prompt) {
    // The folder as seen from the current folder.
    char here[2 * TARQ_PATH_MAX];
    snprintf(here, sizeof here, "%s%s", shell.root_path, shell.current_folder);
    size_t n = strlen(here);
    const char* shown = strncmp(folder, here, n) == 0 ? folder + n : folder;
    snprintf(line, sizeof line, "saved %s%s%s", shown, base, ext);
    tovo_print_col(line, PLAIN);
  } else {
    snprintf(line, sizeof line, "saved %s%s", base, ext);
    show_message(line, 1000);
  }
}

namespace {

// The current cart file read afresh and prepared for comparison; null when
// it does not read or did not change.
tovo_cart* read_changed_file() {
  if (!disk_state.cart_filename[0]) return nullptr;
  tovo_cart* copy = load_tovo_cart_any_format(disk_state.cart_filename);
  if (!copy) return nullptr;
  if (!copy->legacy_done) apply_legacy_changes(copy);
  tovo_agree_shared_half(copy);
  char hash[TOVO_HASH_SIZE], working[TOVO_HASH_SIZE];
  hash_cart(copy, hash);
  hash_cart(pitem(0), working);
  if (strcmp(hash, working) == 0 || strcmp(hash, disk_state.saved_hash) == 0 ||
      strcmp(hash, disk_state.load_hash) == 0) {
    tarq_destroy_tovo_cart(copy);
    return nullptr;
  }
  return copy;
}

}  // namespace

int detect_external_changes() {
  tovo_cart* copy = read_changed_file();
  int changed = copy != nullptr;
  tarq_destroy_tovo_cart(copy);
  return changed;
}

int32_t detect_unsaved_changes() { return 0; }

void do_quick_load() {
  tovo_cart* copy = read_changed_file();
  if (!copy) return;
  show_message("loaded external changes", 1000);
  char path[TARQ_PATH_MAX];
  snprintf(path, sizeof path, "%s", disk_state.cart_filename);
  prepare_loaded_cart(copy, path);
}
