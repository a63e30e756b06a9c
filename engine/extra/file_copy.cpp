// Copying a file in 64 KiB reads.
#include "engine/extra/file_copy.h"

#include <cstdio>

#include "engine/mem.h"

namespace {

constexpr size_t CHUNK = 65536;

}  // namespace

int tarq_copy_file(const char* from, const char* to) {
  if (!from || !to) return 1;
  FILE* in = fopen(from, "rb");
  if (!in) return 1;
  FILE* out = fopen(to, "wb");
  if (!out) {
    fclose(in);
    return 2;
  }
  void* chunk = tarq_malloc(CHUNK);
  bool ok = chunk != nullptr;
  while (ok) {
    size_t got = fread(chunk, 1, CHUNK, in);
    if (got == 0) break;
    ok = fwrite(chunk, 1, got, out) == got;
  }
  if (ferror(in)) ok = false;
  fclose(in);
  if (fclose(out) != 0) ok = false;
  tarq_free(chunk);
  return ok ? 0 : 3;
}
