#include "player/cart/cart_installers.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "console/print/console_print.h"
#include "engine/data/pod.h"
#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/io/replace.h"
#include "engine/platform/host.h"
#include "player/browser/splore.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t HIGHLIGHT = 14;
constexpr int32_t WARNING = 8;
constexpr int32_t NAME_COLOUR = 6;

// root path + folder, made; false when it does not fit.
bool root_folder(const char* folder, char* out) {
  int n = snprintf(out, TARQ_PATH_MAX, "%s%s", shell.root_path, folder);
  if (n < 0 || n >= TARQ_PATH_MAX) return false;
  tarq_mkdir(out);
  return true;
}

// The item's bytes replace the file whole: a failed write leaves the file
// that was there.
bool write_bytes(const char* path, const tarq_file* item) {
  return item->size >= 0 && tarq_replace_file(path, item->data, (size_t)item->size) == 0;
}

bool join(char* out, const char* folder, const char* name) {
  int n = snprintf(out, TARQ_PATH_MAX, "%s%s", folder, name);
  return n >= 0 && n < TARQ_PATH_MAX && name[0] && !strchr(name, '/');
}

// One index line "id|file|title" split in place; false when malformed.
bool split_index_line(char* line, char** lid, char** file, char** title) {
  line[strcspn(line, "\r\n")] = 0;
  char* a = strchr(line, '|');
  char* b = a ? strchr(a + 1, '|') : nullptr;
  if (!b) return false;
  *a = *b = 0;
  *lid = line;
  *file = a + 1;
  *title = b + 1;
  return true;
}

}  // namespace

int install_demo_carts() {
  tarq_pod* pod = tarq_load_pod_item(shell.resources, TOVO_DEMO_CARTS_RESOURCE);
  tovo_print_col("installing demo carts to /demos/", HIGHLIGHT);
  char folder[TARQ_PATH_MAX], path[TARQ_PATH_MAX];
  int result = 0;
  for (int32_t i = 0; pod && i < TOVO_DEMO_CARTS; i++) {
    tarq_file* item = (tarq_file*)cpod_get_item(pod, i, TARQ_ITEM_FILE);
    if (!item) break;
    if (!root_folder("demos/", folder) || !join(path, folder, item->name) || !write_bytes(path, item)) {
      tovo_print_col("could not write to disk", WARNING);
      result = 1;
      break;
    }
    tovo_print_col(item->name, NAME_COLOUR);
  }
  tarq_destroy_pod(pod);
  return result;
}

int install_preloaded_bbs_carts() {
  tarq_pod* pod = tarq_load_pod_item(shell.resources, TOVO_PRELOADED_GAMES_RESOURCE);
  tarq_file* index = pod ? (tarq_file*)cpod_get_item(pod, 0, TARQ_ITEM_FILE) : nullptr;
  if (!index) {
    tarq_destroy_pod(pod);
    return 0;
  }
  // The index as a terminated text, read line by line.
  std::string text((const char*)index->data, (size_t)index->size);
  char folder[TARQ_PATH_MAX], path[TARQ_PATH_MAX];
  size_t at = 0;
  int result = 0;
  for (int32_t i = 1; i <= TOVO_PRELOADED_GAMES && at < text.size(); i++) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    char *lid, *file, *title;
    tarq_file* item = (tarq_file*)cpod_get_item(pod, i, TARQ_ITEM_FILE);
    if (!item || !split_index_line(line.data(), &lid, &file, &title)) break;
    char cache[TARQ_PATH_MAX];
    get_bbs_cart_filename(lid, cache);
    if (!cache[0] || !write_bytes(cache, item)) {
      tovo_print_col("could not write to disk", WARNING);
      result = 1;
      break;
    }
    tovo_print_col(title, NAME_COLOUR);
    if (!root_folder("games/", folder) || !join(path, folder, file) || !write_bytes(path, item)) {
      tovo_print_col("could not write to disk", WARNING);
      result = 1;
      break;
    }
  }
  tarq_destroy_pod(pod);
  return result;
}

void install_games() {
  // The favourites file is written and read again around the installing,
  // each only once the browser's lists exist.
  save_splore_favourites();
  install_preloaded_bbs_carts();
  reload_favourites();
}
