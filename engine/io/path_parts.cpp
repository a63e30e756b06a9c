// Path texts: slashes, and a path's extension, name and folder.
#include "engine/io/path_parts.h"

#include <cstring>

#include "engine/io/path.h"

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

}  // namespace

void tarq_fix_backslashes(char* text) {
  if (!text) return;
  for (; *text; text++)
    if (*text == '\\') *text = '/';
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
