// Path texts: slashes, trimming, and a path's extension, name and folder.
#include "engine/extra/path_parts.h"

#include <cstring>

#include "engine/io/path.h"
#include "engine/mem.h"

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

char* trimmed_copy;  // the result of the last tarq_trim

}  // namespace

void tarq_fix_backslashes(char* text) {
  if (!text) return;
  for (; *text; text++)
    if (*text == '\\') *text = '/';
}

const char* tarq_trim(const char* text) {
  if (!text) return nullptr;
  const unsigned char* start = reinterpret_cast<const unsigned char*>(text);
  while (*start && *start < 0x21) start++;
  size_t n = strlen(reinterpret_cast<const char*>(start));
  while (n > 0 && start[n - 1] < 0x21) n--;
  // The text may be the previous result: copy it before that is freed.
  char* copy = static_cast<char*>(tarq_malloc(n));
  if (!copy) return nullptr;
  memcpy(copy, start, n);
  tarq_free(trimmed_copy);
  trimmed_copy = copy;
  return copy;
}

void tarq_get_filename_extension(const char* path, char* out) {
  if (!out) return;
  out[0] = 0;
  const char* dot = path ? strrchr(path, '.') : nullptr;
  if (!dot) return;
  size_t n = strlen(dot + 1);
  if (n >= static_cast<size_t>(TARQ_PATH_MAX)) return;
  memcpy(out, dot + 1, n);
  out[n] = 0;
}

const char* tarq_get_filename_without_path(const char* path) {
  if (!path) return nullptr;
  const char* name = path;
  for (const char* p = path; *p; p++)
    if (is_separator(*p)) name = p + 1;
  return name;
}

const char* tarq_get_path_without_filename(const char* path) {
  static char folder[TARQ_PATH_MAX];
  if (!path) return nullptr;
  size_t n = strlen(path);
  if (n >= static_cast<size_t>(TARQ_PATH_MAX)) n = 0;  // refused: no folder
  memmove(folder, path, n);
  if (n >= 2) {
    n--;
    while (n > 1 && !is_separator(folder[n - 1]) && folder[n - 1] != ':') n--;
  }
  folder[n] = 0;
  return folder;
}
