// Path texts: splitting, names, extensions, trimming.
#include "engine/io/path.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "engine/log.h"
#include "engine/mem.h"

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

void copy_part(char* out, const char* from, size_t n) {
  if (!out) return;
  memcpy(out, from, n);
  out[n] = 0;
}

char* trimmed_copy;  // the result of the last tarq_trim

}  // namespace

void tarq_split_filename_ex(const char* path, char* dir, char* name, char* ext, int double_ext) {
  for (char* out : {dir, name, ext})
    if (out) out[0] = 0;
  if (!path) return;
  size_t len = strnlen(path, TARQ_PATH_MAX);
  if (len >= static_cast<size_t>(TARQ_PATH_MAX)) {
    tarq_debug("tarq_split_filename_ex: file_name too long\n");
    return;
  }
  const char* slash = strrchr(path, '/');
  const char* base = slash ? slash + 1 : path;
  const char* dot = strrchr(base, '.');
  if (dot && double_ext) {
    for (const char* p = dot; p > base; p--)
      if (p[-1] == '.') {
        dot = p - 1;
        break;
      }
  }
  const char* end = path + len;
  if (!dot) dot = end;
  copy_part(dir, path, static_cast<size_t>(base - path));
  copy_part(name, base, static_cast<size_t>(dot - base));
  copy_part(ext, dot, static_cast<size_t>(end - dot));
}

void tarq_split_filename(const char* path, char* dir, char* name, char* ext) {
  tarq_split_filename_ex(path, dir, name, ext, 0);
}

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
  if (n < static_cast<size_t>(TARQ_PATH_MAX)) copy_part(out, dot + 1, n);
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
