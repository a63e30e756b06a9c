// The prompt commands' file work below the root path.
#include "player/cart/prompt_files.h"

#include <cstdio>
#include <cstring>

#include "console/print/console_print.h"
#include "engine/io/path.h"
#include "engine/platform/host.h"
#include "player/cart/disk.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t PLAIN = 6;
constexpr int32_t QUESTION = 14;
constexpr int32_t FAILED = 7;
constexpr int32_t FOLDER = 12;
constexpr int32_t FOLDER_NAME = 14;
constexpr int32_t OTHER_FILE = 5;

enum { IDLE = 0, LISTING_FOLDERS = 1, START_FILES = 2, LISTING_FILES = 3 };

struct listing_state {
  int32_t phase;
  tarq_find search;
  bool search_open;
  int32_t lines_left;  // 0: the page is full
  char filter;         // '*' shows every file
};

listing_state listing;
int32_t overwrite_pending;

// root path + current folder + name into out: false when it does not fit.
bool in_current_folder(const char* name, char* out) {
  int n = snprintf(out, TARQ_PATH_MAX, "%s%s%s", shell.root_path, shell.current_folder, name);
  return n >= 0 && n < TARQ_PATH_MAX;
}

bool is_separator(char c) { return c == '/' || c == '\\'; }

// Whether a name steps up a folder anywhere ("..", "a/../..", "x\\..").
bool steps_up(const char* name) {
  for (const char* s = name; *s;) {
    const char* start = s;
    while (*s && !is_separator(*s)) s++;
    if (s - start == 2 && start[0] == '.' && start[1] == '.') return true;
    while (is_separator(*s)) s++;
  }
  return false;
}

// A name a cart gives to save or mkdir, as a path below the root into out:
// a leading "/" counts from the root, any other name from the current folder.
// False for a name that steps up a folder (so that nothing a cart names can
// leave the root) and for one that does not fit.
bool below_root(const char* name, char* out) {
  if (steps_up(name)) return false;
  if (!is_separator(name[0])) return in_current_folder(name, out);
  while (is_separator(*name)) name++;
  int n = snprintf(out, TARQ_PATH_MAX, "%s%s", shell.root_path, name);
  return n >= 0 && n < TARQ_PATH_MAX;
}

void print_line(const char* format, const char* text, int32_t colour) {
  char line[TARQ_PATH_MAX + 32];
  snprintf(line, sizeof line, format, text);
  tovo_print_col(line, colour);
}

void close_search() {
  if (listing.search_open) tarq_find_close(&listing.search);
  listing.search_open = false;
}

// Opens the next search of the listing; false when the folder cannot be read.
bool open_search(uint32_t mask) {
  char folder[TARQ_PATH_MAX];
  if (!in_current_folder("", folder)) return false;
  listing.search_open = true;
  return tarq_find_first(folder, "*", &listing.search, mask) == 0;
}

// One printed line counts against the page; a full page says so.
void count_line() {
  if (--listing.lines_left == 0) tovo_print_col("--more--", FOLDER);
}

// One step of the listing: one name printed, or the move to the next phase.
void list_step() {
  if (listing.phase == LISTING_FOLDERS) {
    const char* name = listing.search.name;
    if (strcmp(name, ".") != 0 && strcmp(name, "..") != 0) {
      print_line("%s", name, FOLDER_NAME);
      count_line();
    }
    if (tarq_find_next(&listing.search) != 0) {
      close_search();
      listing.phase = START_FILES;
    }
    return;
  }
  if (listing.phase == START_FILES) {
    listing.phase = open_search(TARQ_FIND_FILES) ? LISTING_FILES : IDLE;
    if (listing.phase == IDLE) close_search();
    return;
  }
  const char* name = listing.search.name;
  bool cart = strstr(name, ".kx") != nullptr;
  if (cart || listing.filter == '*') {
    print_line("%s", name, cart ? PLAIN : OTHER_FILE);
    count_line();
  }
  if (tarq_find_next(&listing.search) != 0) {
    close_search();
    listing.phase = IDLE;
  }
}

}  // namespace

int tovo_save_named_cart(const char* name) {
  char joined[TARQ_PATH_MAX], path[TARQ_PATH_MAX];
  if (steps_up(name)) {
    tovo_print_col("could not save", FAILED);
    return 1;
  }
  if (!below_root(name, joined)) {
    tovo_print_col("filename too long", PLAIN);
    return 1;
  }
  inject_kx_extention(joined, path);
  if (!path[0]) {
    tovo_print_col("filename too long", PLAIN);
    return 1;
  }
  if (tarq_file_exists(path) && !overwrite_pending) {
    tovo_print_col("file already exists", PLAIN);
    tovo_print_col("overwrite? [y/n]", QUESTION);
    overwrite_pending = 1;
    return 1;
  }
  overwrite_pending = 0;
  if (save_working_cart(path) != 0) return 1;
  char base[TARQ_PATH_MAX], ext[TARQ_PATH_MAX], line[2 * TARQ_PATH_MAX + 8];
  tarq_split_filename(path, nullptr, base, ext);
  snprintf(line, sizeof line, "saved %s%s", base, ext);
  tovo_print_col(line, PLAIN);
  return 0;
}

void tovo_change_folder(const char* name) {
  char joined[TARQ_PATH_MAX], resolved[TARQ_PATH_MAX], root[TARQ_PATH_MAX];
  int n = name[0] == '/' ? snprintf(joined, sizeof joined, "%s%s", shell.root_path, name + 1)
                         : snprintf(joined, sizeof joined, "%s%s%s", shell.root_path, shell.current_folder, name);
  if (n < 0 || n >= (int)sizeof joined || tarq_unroll_filename(joined, resolved) < 0 ||
      tarq_unroll_filename(shell.root_path, root) < 0) {
    tovo_print_col("cd: failed", FAILED);
    return;
  }
  size_t root_length = strlen(root);
  bool under_root = strncmp(resolved, root, root_length) == 0;
  if (shell.root_path[0] != '.' && !under_root) {
    tovo_print_col("cd: failed", FAILED);
    return;
  }
  if (!tarq_directory_exists(resolved)) {
    tovo_print_col("directory not found", FAILED);
    return;
  }
  const char* inside = under_root ? resolved + root_length : "";
  snprintf(shell.current_folder, sizeof shell.current_folder, "%s", inside);
  print_line("/%s", shell.current_folder, FOLDER);
}

int tovo_make_folder(const char* name) {
  char path[TARQ_PATH_MAX];
  if (!below_root(name, path) || strlen(path) + 1 >= TARQ_PATH_MAX) return 1;
  strcat(path, "/");
  tarq_mkdir(path);
  return 0;
}

void tovo_list_files(const char* filter) {
  tovo_close_listing();
  listing.filter = filter ? filter[0] : 0;
  listing.lines_left = TOVO_LIST_PAGE_LINES;
  print_line("directory: /%s", shell.current_folder, FOLDER);
  listing.phase = open_search(TARQ_FIND_FOLDERS) ? LISTING_FOLDERS : START_FILES;
  if (listing.phase == START_FILES) close_search();
  while (listing.phase != IDLE && listing.lines_left > 0) list_step();
}

void tovo_close_listing() {
  close_search();
  listing.phase = IDLE;
}
