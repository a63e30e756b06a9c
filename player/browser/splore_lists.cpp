// The browser's lists: set-up, items, the local folder and the favourites;
// the browser's frame, which does nothing in the player but start the lists'
// scroll animation over.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/data/gfx.h"
#include "engine/formats/png.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/log.h"
#include "engine/log_format.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "player/browser/splore.h"
#include "player/cart/disk_state.h"
#include "player/shell_state.h"

splore_state splore;

namespace {

constexpr int FAVOURITE_LINES = 2048;
constexpr int FAVOURITE_LINE = 512;

struct list_setup {
  const char* title;
  const char* name;
  const char* request;
};
const list_setup LISTS[SPLORE_LISTS_USED] = {
    {"local", "local", ""},
    {"favourites", "fav", "cat=7&orderby=favourites&uid=1"},
    {"new", "new", "cat=7&sub=2"},
    {"featured", "top", "cat=7&sub=2&orderby=rating"},
    {"work in progress", "wip", "cat=7&sub=3"},
    {"jam", "jam", "cat=7&sub=8"},
    {"lucky draw", "lucky", "cat=7&orderby=lucky"},
    {"search", "search", ""},
};

splore_item blank_item;

void copy_text(char* out, const char* text, size_t size = SPLORE_TEXT) { snprintf(out, size, "%s", text ? text : ""); }

void trim_trailing(char* text) {
  size_t n = strlen(text);
  while (n > 0 && (unsigned char)text[n - 1] <= ' ') text[--n] = 0;
}

// Without leading and trailing blanks and control characters (the field's
// text can only shrink).
void trim_both(char* text) {
  const char* trimmed = tarq_trim(text);
  if (trimmed) memmove(text, trimmed, strlen(trimmed) + 1);
  else trim_trailing(text);
}

// The cart title of a file name: no folder and no last extension, and a
// remaining extension of a dot and two characters cut (game.kx.png -> game).
void title_from_file(const char* file, char* out) {
  const char* slash = strrchr(file, '/');
  copy_text(out, slash ? slash + 1 : file);
  char* dot = strrchr(out, '.');
  if (dot) *dot = 0;
  dot = strrchr(out, '.');
  if (dot && strlen(dot) == 3) *dot = 0;
}

// An item matches the new one: the new lid is not empty and equal to its
// lid, or the new file is not empty and the item has no lid, no mid and the
// same file.
bool matches(const splore_item* item, const char* lid, const char* file) {
  if (lid[0] && strcmp(item->lid, lid) == 0) return true;
  return file[0] && !item->lid[0] && !item->mid[0] && strcmp(item->file, file) == 0;
}

void favourites_path(char* out) { tarq_prefix_with_appdata_path("favourites.txt", out); }

splore_list* favourites() { return &splore.lists[SPLORE_LIST_FAVOURITES]; }

void remove_item(splore_list* list, int32_t index) {
  tarq_destroy_bitmap(list->items[index].label);
  memmove(&list->items[index], &list->items[index + 1], sizeof(splore_item) * (size_t)(list->count - index - 1));
  list->count--;
}

bool insert_item(splore_list* list, int32_t index, const splore_item* item) {
  if (!splore_add_item(list, item)) return false;
  splore_item added = list->items[list->count - 1];
  memmove(&list->items[index + 1], &list->items[index], sizeof(splore_item) * (size_t)(list->count - 1 - index));
  list->items[index] = added;
  return true;
}

int32_t first_cart_index(const splore_list* list) {
  for (int32_t i = 0; i < list->count; i++)
    if (list->items[i].kind == SPLORE_KIND_CART) return i;
  return list->count;
}

// Splits "a|b|c..." fields; the last field runs to the next '|' or the end.
void next_field(const char** p, char* out, size_t size) {
  const char* start = *p;
  const char* bar = strchr(start, '|');
  size_t n = bar ? (size_t)(bar - start) : strlen(start);
  snprintf(out, size, "%.*s", (int)std::min(n, size - 1), start);
  *p = bar ? bar + 1 : start + n;
}

}  // namespace

void clean_tovo_string(char* text) {
  for (char* c = text; *c; c++) {
    if (*c >= 'A' && *c <= 'Z') *c = (char)(*c - 'A' + 'a');
    if ((unsigned char)*c < 16) *c = ' ';
  }
}

void sanitise_splore_item(splore_item* item) {
  trim_trailing(item->lid);
  trim_trailing(item->mid);
  trim_trailing(item->file);
  trim_both(item->author);
  for (char* c = item->author; *c; c++) {
    char l = (char)tolower((unsigned char)*c);
    *c = (l >= 'a' && l <= 'z') || (l >= '0' && l <= '9') ? l : '_';
  }
  item->author[16] = 0;
  trim_both(item->title);
  for (char* c = item->title; *c; c++) {
    if (*c >= 'A' && *c <= 'Z') *c = (char)(*c - 'A' + 'a');
    if ((unsigned char)*c < 16) *c = ' ';
    if (*c == '|') *c = '_';
  }
  if (strcmp(item->lid, "0") == 0) item->lid[0] = 0;
  if (strcmp(item->mid, "0") == 0) item->mid[0] = 0;
}

bool splore_add_item(splore_list* list, const splore_item* item) {
  if (list->count == list->capacity) {
    int32_t capacity = list->capacity ? list->capacity * 2 : 16;
    splore_item* grown = (splore_item*)tarq_realloc(list->items, sizeof(splore_item) * (size_t)capacity);
    if (!grown) return false;
    list->items = grown;
    list->capacity = capacity;
  }
  list->items[list->count++] = *item;
  return true;
}

void clear_splore_list(splore_list* list) {
  for (int32_t i = 0; i < list->count; i++) tarq_destroy_bitmap(list->items[i].label);
  list->count = 0;
}

splore_item* get_splore_item(splore_list* list, int32_t index) {
  if (list && index >= 0 && index < list->count) return &list->items[index];
  memset(&blank_item, 0, sizeof blank_item);
  return &blank_item;
}

void validate_current_list() {
  splore_list* list = &splore.lists[splore.list_index];
  if (list->selected >= list->count) list->selected = list->count - 1;
  if (list->selected < 0) list->selected = 0;
}

void splore_init() {
  if (splore.list_count != 0) return;
  splore.list_count = SPLORE_LISTS_USED;
  for (int32_t i = 0; i < SPLORE_LISTS_USED; i++) {
    splore_list* list = &splore.lists[i];
    clear_splore_list(list);
    copy_text(list->name, LISTS[i].name, sizeof list->name);
    copy_text(list->title, LISTS[i].title, sizeof list->title);
    copy_text(list->request, LISTS[i].request, sizeof list->request);
    list->icon = app.kiosk ? SPLORE_ICON_SPECIAL : SPLORE_ICON_LIST_BASE + i;
  }
  char path[TARQ_PATH_MAX];
  favourites_path(path);
  populate_splore_list_from_text_file(favourites(), path);
  for (int32_t i = 2; i < SPLORE_LISTS_USED; i++) {
    char name[TARQ_PATH_MAX];
    snprintf(name, sizeof name, "bbs/%s.pip.png", splore.lists[i].name);
    if (tarq_prefix_with_appdata_path(name, path) == 0) populate_splore_list_from_png_file(&splore.lists[i], path, 0);
  }
  tarq_debug("splore_init\n");
}

void splore_enter() {
  splore_init();  // the kiosk boot road enters before anything set the lists up
  if (app.kiosk) splore.list_index = SPLORE_LIST_FAVOURITES;
  splore_list* local = &splore.lists[SPLORE_LIST_LOCAL];
  clear_splore_list(local);
  populate_splore_list_from_directory(local, shell.current_folder);
  validate_current_list();
  if (splore.list_index != SPLORE_LIST_FAVOURITES) update_list_favourites(&splore.lists[splore.list_index]);
}

int populate_splore_list_from_directory(splore_list* list, const char* folder) {
  list->search = 0;
  if (folder[0]) {
    splore_item up{};
    up.kind = SPLORE_KIND_FOLDER;
    up.icon = SPLORE_ICON_UP;
    copy_text(up.title, "..");
    copy_text(up.file, "..");
    splore_add_item(list, &up);
  }
  std::string path = std::string(shell.root_path) + folder;
  std::vector<splore_item> found;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* d = readdir(dir)) {
      if (d->d_name[0] == '.') continue;
      struct stat st;
      bool is_folder = stat((path + "/" + d->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
      if (!is_folder && !tarq_strcasestr(d->d_name, ".kx")) continue;
      splore_item item{};
      if (snprintf(item.file, sizeof item.file, "%s%s", folder, d->d_name) >= (int)sizeof item.file) continue;
      if (is_folder) {
        item.kind = SPLORE_KIND_FOLDER;
        item.icon = SPLORE_ICON_FOLDER;
        copy_text(item.title, d->d_name);
      } else {
        item.kind = SPLORE_KIND_CART;
        item.icon = tarq_strcasestr(d->d_name, ".png") ? SPLORE_ICON_PICTURE_CART : SPLORE_ICON_TEXT_CART;
        title_from_file(d->d_name, item.title);
      }
      found.push_back(item);
    }
    closedir(dir);
  }
  std::sort(found.begin(), found.end(), [](const splore_item& a, const splore_item& b) {
    bool fa = a.kind == SPLORE_KIND_FOLDER, fb = b.kind == SPLORE_KIND_FOLDER;
    if (fa != fb) return fa;
    return strcmp(a.title, b.title) < 0;
  });
  for (const splore_item& item : found) splore_add_item(list, &item);
  update_list_favourites(list);
  return 0;
}

int populate_splore_list_from_text_file(splore_list* list, const char* path) {
  FILE* f = fopen(path, "r");
  if (!f) {
    tarq_logf("could not load favourites file: %s\n", path);
    return 1;
  }
  char line[FAVOURITE_LINE];
  for (int lines = 0; lines < FAVOURITE_LINES && fgets(line, sizeof line, f); lines++) {
    if (line[0] != '|') continue;
    line[strcspn(line, "\r\n")] = 0;
    splore_item item{};
    const char* p = line + 1;
    char catsub[SPLORE_TEXT];
    next_field(&p, item.lid, sizeof item.lid);
    next_field(&p, item.mid, sizeof item.mid);
    next_field(&p, catsub, sizeof catsub);
    next_field(&p, item.author, sizeof item.author);
    next_field(&p, item.file, sizeof item.file);
    next_field(&p, item.title, sizeof item.title);
    if (sscanf(catsub, "%d", &item.catsub) != 1) item.catsub = 0;
    sanitise_splore_item(&item);
    item.kind = SPLORE_KIND_CART;
    item.icon = item.lid[0] || item.mid[0]           ? SPLORE_ICON_CART
                : tarq_strcasestr(item.file, ".png") ? SPLORE_ICON_PICTURE_CART
                                                     : SPLORE_ICON_TEXT_CART;
    // Kept only when the first item matching it would be itself: a repeated
    // line, or one with neither lid nor file, is dropped.
    bool kept = item.lid[0] || (item.file[0] && !item.mid[0]);
    for (int32_t i = 0; kept && i < list->count; i++)
      if (matches(&list->items[i], item.lid, item.file)) kept = false;
    if (kept) splore_add_item(list, &item);
  }
  fclose(f);
  return 0;
}

int save_splore_list_to_file(const splore_list* list, const char* path) {
  char temp[TARQ_PATH_MAX];
  tarq_file* f = tovo_open_temp_for(path, temp);
  if (!f) return 1;
  bool ok = true;
  for (int32_t i = 0; i < list->count; i++) {
    const splore_item* it = &list->items[i];
    if (it->kind != SPLORE_KIND_CART) continue;
    ok = ok && fprintf(f->fp, "|%-20s |%-20s |%-6d |%-16s |%-20s |%s\n", it->lid, it->mid, it->catsub, it->author,
                       it->file, it->title) > 0;
  }
  return tovo_commit_temp(f, temp, path, ok);
}

int save_splore_favourites() {
  // Before the lists were set up the favourites list was never read: writing
  // it would empty the user's file.
  if (splore.list_count == 0) return 1;
  char path[TARQ_PATH_MAX];
  favourites_path(path);
  return save_splore_list_to_file(favourites(), path);
}

void reload_favourites() {
  if (splore.list_count == 0) return;
  clear_splore_list(favourites());
  char path[TARQ_PATH_MAX];
  favourites_path(path);
  populate_splore_list_from_text_file(favourites(), path);
}

int is_favourite(const char* lid, const char* file) {
  const splore_list* fav = favourites();
  for (int32_t i = 0; i < fav->count; i++) {
    const splore_item* f = &fav->items[i];
    if (lid[0] && strcmp(f->lid, lid) == 0) return 1;
    if (!lid[0] && file[0] && !f->lid[0] && !f->mid[0] && strcmp(f->file, file) == 0) return 1;
  }
  return 0;
}

void update_list_favourites(splore_list* list) {
  for (int32_t i = 0; i < list->count; i++)
    list->items[i].favourite = is_favourite(list->items[i].lid, list->items[i].file);
}

// Removes the favourite matching (lid, file), or inserts a new one before the
// first cart; the new item, or null when one was removed.
static splore_item* toggle(const char* lid, const char* file) {
  splore_list* fav = favourites();
  for (int32_t i = 0; i < fav->count; i++)
    if (matches(&fav->items[i], lid, file)) {
      remove_item(fav, i);
      return nullptr;
    }
  splore_item item{};
  item.kind = SPLORE_KIND_CART;
  copy_text(item.lid, lid);
  copy_text(item.file, file);
  title_from_file(file, item.title);
  int32_t at = first_cart_index(fav);
  return insert_item(fav, at, &item) ? &fav->items[at] : nullptr;
}

void splore_toggle_favourite() {
  if (splore.list_count == 0) return;
  splore_item* selected = get_splore_item(&splore.lists[splore.list_index], splore.lists[splore.list_index].selected);
  if (selected->kind != SPLORE_KIND_CART) return;
  splore_item copy = *selected;
  splore_item* added = toggle(copy.lid, copy.file);
  if (added) {
    *added = copy;
    added->kind = SPLORE_KIND_CART;
    added->label = nullptr;
    if (copy.label) {
      added->label = tarq_create_bitmap(copy.label->width, copy.label->height, copy.label->depth);
      if (added->label)
        memcpy(added->label->pixels, copy.label->pixels,
               (size_t)copy.label->width * copy.label->height * (size_t)(copy.label->depth / 8));
      char name[TARQ_PATH_MAX], path[TARQ_PATH_MAX], folder[TARQ_PATH_MAX];
      if (copy.lid[0] && tarq_prefix_with_appdata_path("bbs/labels", folder) == 0 &&
          snprintf(name, sizeof name, "bbs/labels/%s.png", copy.lid) < (int)sizeof name &&
          tarq_prefix_with_appdata_path(name, path) == 0 && !tarq_file_exists(path) && !strchr(copy.lid, '/') &&
          added->label) {
        char bbs[TARQ_PATH_MAX];
        tarq_prefix_with_appdata_path("bbs", bbs);
        tarq_mkdir(bbs);
        tarq_mkdir(folder);
        tarq_save_png(path, added->label);
      }
      splore_item_label_colours(added);
    }
  }
  update_list_favourites(&splore.lists[splore.list_index]);
  save_splore_favourites();
}

void splore_toggle_favourite_ingame(const char* lid, const char* file) {
  if (splore.list_count == 0) return;
  splore_item* added = toggle(lid, file);
  if (added && lid[0]) {
    *added = splore.running_item;
    added->kind = SPLORE_KIND_CART;
    added->label = nullptr;
  }
  save_splore_favourites();
}

void splore_item_label_colours(splore_item* item) {
  if (!item->label || item->label_colours[1] != 0) return;
  int32_t uses[256] = {};
  const tarq_bitmap* l = item->label;
  for (int32_t y = 0; y < l->height; y++)
    for (int32_t x = 0; x < l->width; x++) uses[l->rows[y][x]]++;
  bool taken[16] = {};
  for (int32_t i = 0; i < 16; i++) item->label_colours[i] = (uint8_t)i;
  taken[0] = taken[1] = taken[6] = taken[7] = true;
  for (int32_t i = 0; i < 16; i++) {
    if (uses[128 + i] == 0) continue;
    int32_t slot = -1;
    if (uses[i] == 0 && !taken[i]) {
      slot = i;
    } else {
      for (int32_t s = 0; s < 15; s++)
        if (!taken[s] && (slot < 0 || uses[s] < uses[slot])) slot = s;
      if (!taken[15] && (slot < 0 || uses[15] < uses[slot])) slot = 15;
    }
    if (slot < 0) continue;
    item->label_colours[slot] = (uint8_t)(128 + i);
    item->label_colours[16 + i] = (uint8_t)slot;
    taken[slot] = true;
  }
}

// The cart browser's frame: its per-frame update and drawing do nothing in
// the player, and its scroll animation starts over when a program stops.
void splore_update() {}

void splore_draw(tarq_bitmap*) {}

void reset_splore_animation() {
  for (int32_t i = 0; i < splore.list_count && i < SPLORE_LIST_SLOTS; i++)
    splore.lists[i].scroll = splore.lists[i].selected;
}
