// Resolving paths into absolute ones, and cleaning folder paths.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/io/path.h"
#include "engine/platform/host.h"

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

// A bounded path under construction; `ok` turns false when anything did not fit.
struct path_text {
  char* text;
  size_t len;
  bool ok;

  void append(const char* s, size_t n) {
    if (!ok || n >= static_cast<size_t>(TARQ_PATH_MAX) - len) {
      ok = false;
      return;
    }
    memcpy(text + len, s, n);
    len += n;
    text[len] = 0;
  }

  // The part that ".." never removes: "/" or a drive with its separator.
  size_t root() const {
    if (len >= 1 && text[0] == '/') return 1;
    if (len >= 2 && text[1] == ':') return len >= 3 && text[2] == '/' ? 3 : 2;
    return 0;
  }

  // Removes the last component with its trailing separator.
  void drop_last() {
    size_t keep = root();
    if (len <= keep) return;
    len--;
    while (len > keep && !is_separator(text[len - 1]) && text[len - 1] != ':') len--;
    text[len] = 0;
  }

  void set_home(const char* home) {
    size_t n = strlen(home);
    while (n > 0 && home[n - 1] == '/') n--;
    len = 0;
    text[0] = 0;
    append(home, n);
    append("/", 1);
  }
};

// An absolute path (or one with a drive) as it is, any other behind the
// current folder.
bool working_text(const char* path, char* work) {
  if (!path) return false;
  if (is_separator(path[0]) || (path[0] && path[1] == ':'))
    return snprintf(work, TARQ_PATH_MAX, "%s", path) < TARQ_PATH_MAX;
  return tarq_prefix_with_current_path(path, work) == 0;
}

}  // namespace

int tarq_resolve_filename(const char* path, char* out) {
  if (!out) return 1;
  char work[TARQ_PATH_MAX];
  bool fits = working_text(path, work);
  out[0] = 0;  // only now: `path` may be `out`
  if (!fits) return 1;
  path_text o{out, 0, true};
  const char* s = work;
  if (is_separator(*s)) o.append("/", 1);
  while (*s && o.ok) {
    while (is_separator(*s)) s++;
    if (!*s) break;
    const char* start = s;
    while (*s && !is_separator(*s)) s++;
    size_t n = static_cast<size_t>(s - start);
    if (n == 1 && start[0] == '.') continue;
    if (n == 2 && start[0] == '.' && start[1] == '.' && start != work) {
      o.drop_last();
      continue;
    }
    if (n == 1 && start[0] == '~') {
      if (const char* home = getenv("HOME")) o.set_home(home);
      continue;
    }
    o.append(start, n);
    if (*s) o.append("/", 1);
  }
  if (o.ok) return 0;
  out[0] = 0;
  return 1;
}

int tarq_unroll_filename(const char* path, char* out) {
  if (tarq_resolve_filename(path, out) != 0) return -1;
  size_t len = strlen(out);
  if (len == 0 || out[len - 1] != '/') {
    if (len + 1 >= static_cast<size_t>(TARQ_PATH_MAX)) {
      out[0] = 0;
      return -1;
    }
    out[len++] = '/';
    out[len] = 0;
  }
  return static_cast<int>(len) - 1;
}

// Works in place too: the cleaned text never runs ahead of the text read.
char* tarq_fix_path_string(const char* path, char* out) {
  static char internal[TARQ_PATH_MAX];
  char* dst = out ? out : internal;
  if (!path) {
    dst[0] = 0;
    return dst;
  }
  while (*path == ' ') path++;
  size_t n = 0;
  bool fits = true;
  for (const unsigned char* s = reinterpret_cast<const unsigned char*>(path); *s && fits; s++) {
    char c = static_cast<char>(*s);
    if (*s < 0x20) continue;
    if (c == '\\') c = '/';
    if (c == '/' && n > 0 && dst[n - 1] == '/') continue;
    fits = n + 1 < static_cast<size_t>(TARQ_PATH_MAX);
    if (fits) dst[n++] = c;
  }
  while (n > 0 && dst[n - 1] == ' ') n--;
  if (n > 0 && dst[n - 1] != '/') {
    fits = fits && n + 1 < static_cast<size_t>(TARQ_PATH_MAX);
    dst[fits ? n++ : 0] = '/';
  }
  dst[fits ? n : 0] = 0;
  return dst;
}
