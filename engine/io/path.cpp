// Path texts: splitting into folder, name and extension.
#include "engine/io/path.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "engine/log.h"
#include "engine/tracked_mem.h"

namespace {

char* trimmed_copy;  // the result of the last tarq_trim

void copy_part(char* out, const char* from, size_t n) {
  if (!out) return;
  memcpy(out, from, n);
  out[n] = 0;
}

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
