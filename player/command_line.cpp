// The prompt's command line: history, tab completion and the command runner.
#include "player/command_line.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/print/console_print.h"
#include "engine/io/path.h"
#include "engine/platform/host.h"
#include "player/command_history.h"
#include "player/frame.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t MATCH_COLOUR = 14;
constexpr int32_t FOLDER_COLOUR = 14, CART_COLOUR = 6, FILE_COLOUR = 5;
constexpr size_t MATCHES_MAX = 256;

struct match {
  std::string name;
  bool folder;
};

// The start of the line's last word: after its last blank or quote.
size_t last_word_start(const char* line) {
  size_t start = 0;
  for (size_t i = 0; line[i]; i++)
    if (line[i] == ' ' || line[i] == '"') start = i + 1;
  return start;
}

// The names of folder beginning with prefix (any case), sorted; "." and ".."
// are never offered.
std::vector<match> names_beginning(const char* folder, const char* prefix) {
  std::vector<match> found;
  tarq_find f{};
  if (tarq_find_first(folder, "*", &f, TARQ_FIND_ALL) != 0) return found;
  size_t n = strlen(prefix);
  do {
    if (strcmp(f.name, ".") == 0 || strcmp(f.name, "..") == 0) continue;
    if (strncasecmp(f.name, prefix, n) != 0) continue;
    if (found.size() < MATCHES_MAX) found.push_back({f.name, (f.mode & TARQ_FIND_FOLDERS) != 0});
  } while (tarq_find_next(&f) == 0);
  tarq_find_close(&f);
  std::sort(found.begin(), found.end(), [](const match& a, const match& b) { return a.name < b.name; });
  return found;
}

// The length of the prefix all names share, any case.
size_t common_prefix(const std::vector<match>& names) {
  size_t n = names[0].name.size();
  for (const match& m : names) {
    size_t k = 0;
    while (k < n && k < m.name.size() && tolower((unsigned char)m.name[k]) == tolower((unsigned char)names[0].name[k]))
      k++;
    n = k;
  }
  return n;
}

// Puts text in place of the line from offset at on, when it fits.
void replace_tail(size_t at, const std::string& text) {
  char* line = command_history.line[0];
  if (at + text.size() >= (size_t)TOVO_HISTORY_LINE) return;
  memcpy(line + at, text.c_str(), text.size() + 1);
}

}  // namespace

void store_command(const char* line) {
  tovo_command_history& h = command_history;
  bool newest = line && h.count > 0 && strncmp(h.line[1], line, TOVO_HISTORY_LINE - 1) == 0;
  if (line && line[0] && !newest) {
    int32_t kept = std::min(h.count, TOVO_HISTORY_ENTRIES - 2);
    memmove(h.line[2], h.line[1], (size_t)kept * TOVO_HISTORY_LINE);
    snprintf(h.line[1], TOVO_HISTORY_LINE, "%s", line);
    h.count = kept + 1;
  }
  h.line[0][0] = 0;
  h.position = 0;
}

int32_t tab_completion() {
  const char* line = command_history.line[0];
  size_t word = last_word_start(line);
  const char* slash = strrchr(line + word, '/');
  size_t name_at = slash ? (size_t)(slash - line) + 1 : word;
  // The folder the word names, below the root (a word that begins with
  // '/') or below the current folder.
  std::string typed_folder(line + word, name_at - word);
  bool from_root = !typed_folder.empty() && typed_folder[0] == '/';
  char folder[TARQ_PATH_MAX];
  int n = snprintf(folder, sizeof folder, "%s%s%s", shell.root_path, from_root ? "" : shell.current_folder,
                   typed_folder.c_str() + (from_root ? 1 : 0));
  if (n < 0 || n >= (int)sizeof folder) return 0;
  std::vector<match> found = names_beginning(folder, line + name_at);
  if (found.empty()) return 0;
  if (found.size() == 1) {
    replace_tail(name_at, found[0].name + (found[0].folder ? "/" : ""));
    return 1;
  }
  size_t shared = common_prefix(found);
  if (shared > strlen(line + name_at)) {
    replace_tail(name_at, found[0].name.substr(0, shared));
  } else {
    tovo_print_2_col("%d files", (int32_t)found.size(), 0, MATCH_COLOUR);
    for (const match& m : found) {
      int32_t colour = m.folder ? FOLDER_COLOUR : strstr(m.name.c_str(), ".kx") ? CART_COLOUR : FILE_COLOUR;
      tovo_print_col(m.name.c_str(), colour);
    }
  }
  return (int32_t)found.size();
}

void process_command() { tovo_do_pending_action(); }
