// Copying a file in 64 KiB reads.
#include "engine/io/file_copy.h"

#include <cstdio>

#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/io/replace.h"
#include "engine/tracked_mem.h"

namespace {

constexpr size_t CHUNK = 65536;

}  // namespace

int tarq_copy_file(const char* from, const char* to) {
  if (!from || !to) return 1;
  FILE* in = fopen(from, "rb");
  if (!in) return 1;
  char temp[TARQ_PATH_MAX];
  tarq_file* out = tarq_open_replacement(to, temp);
  if (!out) {
    fclose(in);
    return 2;
  }
  void* chunk = tarq_malloc(CHUNK);
  bool ok = chunk != nullptr;
  while (ok) {
    size_t got = fread(chunk, 1, CHUNK, in);
    if (got == 0) break;
    ok = fwrite(chunk, 1, got, out->fp) == got;
  }
  if (ferror(in)) ok = false;
  fclose(in);
  tarq_free(chunk);
  return tarq_commit_replacement(out, temp, to, ok) == 0 ? 0 : 3;
}
