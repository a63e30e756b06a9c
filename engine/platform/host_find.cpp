// Directory search with a suffix filter and a mode mask.
#include <strings.h>
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "engine/platform/host.h"

static int32_t clamp_to_int32(long long v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

static bool name_passes_filter(const tarq_find* f, const char* name) {
  if (f->filter_len == 0) return true;
  size_t len = strlen(name);
  if (len < f->filter_len) return false;
  return strcasecmp(name + len - f->filter_len, f->filter) == 0;
}

int tarq_find_first(const char* folder, const char* filter, tarq_find* f, uint32_t mask) {
  memset(f, 0, sizeof(*f));
  f->mask = mask;
  if (strlen(folder) >= sizeof(f->path)) return 1;
  snprintf(f->path, sizeof(f->path), "%s", folder);
  if (filter && filter[0] == '*' && strlen(filter + 1) < sizeof(f->filter)) {
    snprintf(f->filter, sizeof(f->filter), "%s", filter + 1);
    f->filter_len = static_cast<uint32_t>(strlen(f->filter));
  }
  f->dir = opendir(f->path);
  return tarq_find_next(f);
}

int tarq_find_next(tarq_find* f) {
  if (!f || !f->dir) return 1;
  while (struct dirent* entry = readdir(f->dir)) {
    snprintf(f->name, sizeof(f->name), "%s", entry->d_name);
    f->mode = 0;
    f->size = 0;
    f->mtime = 0;
    char full[2 * 256 + 2];
    snprintf(full, sizeof(full), "%s/%s", f->path, f->name);
    struct stat st;
    if (stat(full, &st) == 0) {
      f->mode = static_cast<uint32_t>(st.st_mode);
      f->size = clamp_to_int32(static_cast<long long>(st.st_size));
      f->mtime = clamp_to_int32(static_cast<long long>(st.st_mtime));
    }
    if (name_passes_filter(f, f->name) && (f->mode & f->mask) != 0) return 0;
  }
  return 1;
}

void tarq_find_close(tarq_find* f) {
  if (!f || !f->dir) return;
  closedir(f->dir);
  f->dir = nullptr;
}

int tarq_directory_exists(const char* path) {
  tarq_find f;
  int found = tarq_find_first(path, "", &f, TARQ_FIND_FOLDERS) == 0;
  tarq_find_close(&f);
  return found;
}
