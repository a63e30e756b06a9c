// Replacing a file through a temporary file beside it.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/io/replace.h"
#include "engine/tracked_mem.h"

namespace {

// Makes the renamed entry itself durable; a folder that cannot be synced
// (some file systems refuse) leaves the file in place all the same.
void sync_folder_of(const char* path) {
  char folder[TARQ_PATH_MAX];
  const char* slash = strrchr(path, '/');
  if (!slash) snprintf(folder, sizeof folder, ".");
  else if (slash == path) snprintf(folder, sizeof folder, "/");
  else snprintf(folder, sizeof folder, "%.*s", static_cast<int>(slash - path), path);
  int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

tarq_file* tarq_open_replacement(const char* path, char* temp) {
  temp[0] = 0;
  if (!path || !path[0]) return nullptr;
  int n = snprintf(temp, TARQ_PATH_MAX, "%s.tmp", path);
  if (n < 0 || n >= TARQ_PATH_MAX) {
    temp[0] = 0;
    return nullptr;
  }
  // unlink removes a link, not what it points at.
  if (unlink(temp) != 0 && errno != ENOENT) return nullptr;
  int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  tarq_file* f = static_cast<tarq_file*>(tarq_calloc(sizeof(tarq_file)));
  FILE* fp = f ? fdopen(fd, "wb") : nullptr;
  if (!fp) {
    close(fd);
    unlink(temp);
    tarq_free(f);
    return nullptr;
  }
  f->kind = TARQ_FILE_STDIO;
  f->fp = fp;
  return f;
}

int tarq_commit_replacement(tarq_file* f, const char* temp, const char* path, bool ok) {
  if (!f) return 1;
  FILE* fp = f->kind == TARQ_FILE_STDIO ? f->fp : nullptr;
  f->fp = nullptr;
  tarq_fclose(f);
  if (!fp) {
    unlink(temp);
    return 1;
  }
  ok = ok && fflush(fp) == 0 && !ferror(fp) && fsync(fileno(fp)) == 0;
  if (fclose(fp) != 0) ok = false;
  if (ok && rename(temp, path) == 0) {
    sync_folder_of(path);
    return 0;
  }
  unlink(temp);
  return 1;
}

int tarq_replace_file(const char* path, const void* data, size_t size) {
  char temp[TARQ_PATH_MAX];
  tarq_file* f = tarq_open_replacement(path, temp);
  if (!f) return 1;
  bool ok = size == 0 || (data && fwrite(data, 1, size, f->fp) == size);
  return tarq_commit_replacement(f, temp, path, ok);
}
