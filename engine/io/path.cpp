// Path texts: splitting into folder, name and extension.
#include "engine/io/path.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "engine/log.h"
#include "engine/mem.h"

namespace {

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
