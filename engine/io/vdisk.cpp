// The virtual disk: memory files found by file name, whatever the folder.
#include <cstring>

#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/tracked_mem.h"

namespace {

// The virtual disk's record: only this file changes it.
struct tarq_vdisk {
  tarq_file* vdisk_file[TARQ_VDISK_MAX_FILES];
  int vdisk_files;
};

tarq_vdisk disk;

}  // namespace

int vdisk_files() { return disk.vdisk_files; }
tarq_file* vdisk_file(int i) { return i >= 0 && i < disk.vdisk_files ? disk.vdisk_file[i] : nullptr; }

namespace {

constexpr size_t KEY_SIZE = sizeof(tarq_file{}.name);

// The key of a path: its name and extension. False when the path has no file
// name or the key does not fit the name field.
bool vdisk_key(const char* path, char* key) {
  char name[TARQ_PATH_MAX];
  char ext[TARQ_PATH_MAX];
  tarq_split_filename(path, nullptr, name, ext);
  int n = snprintf(key, KEY_SIZE, "%s%s", name, ext);
  return n > 0 && static_cast<size_t>(n) < KEY_SIZE;
}

tarq_file* vdisk_find(const char* key) {
  for (int i = 0; i < disk.vdisk_files; i++)
    if (strcmp(disk.vdisk_file[i]->name, key) == 0) return disk.vdisk_file[i];
  return nullptr;
}

}  // namespace

tarq_file* tarq_fopen_vdisk(const char* path, const char* mode) {
  char key[KEY_SIZE];
  if (!path || !mode || !vdisk_key(path, key)) return nullptr;
  tarq_file* f = vdisk_find(key);
  if (f) {
    if (mode[0] == 'w') {
      // Emptied in place: the capacity stays, the old bytes read 0.
      if (f->data) tarq_memset(f->data, 0, static_cast<size_t>(f->capacity));
      tarq_clear_buffer(f);
    } else if (mode[0] != 'r') {
      return nullptr;
    }
    f->pos = 0;
    return f;
  }
  if (mode[0] != 'w' || disk.vdisk_files >= TARQ_VDISK_MAX_FILES) return nullptr;
  f = tarq_create_buffer(0);
  if (!f) return nullptr;
  f->vdisk = 1;
  memcpy(f->name, key, KEY_SIZE);
  disk.vdisk_file[disk.vdisk_files++] = f;
  return f;
}

int vdisk_file_owned(const tarq_file* f) {
  if (!f) return 0;
  for (int i = 0; i < disk.vdisk_files; i++)
    if (disk.vdisk_file[i] == f) return 1;
  return 0;
}
