// Whole files: loading a file into a memory buffer.
#include "engine/io/file.h"
#include "engine/tracked_mem.h"

namespace {

constexpr size_t CHUNK = 65536;

}  // namespace

tarq_file* tarq_load_file(const char* path) {
  if (!path) return nullptr;
  FILE* fp = fopen(path, "rb");
  if (!fp) return nullptr;
  tarq_file* buffer = tarq_create_buffer(1024);
  void* chunk = tarq_malloc(CHUNK);
  bool ok = buffer && chunk;
  while (ok) {
    size_t got = fread(chunk, 1, CHUNK, fp);
    if (got == 0) break;
    ok = tarq_fwrite(chunk, 1, got, buffer) == got;
  }
  if (ferror(fp)) ok = false;
  fclose(fp);
  tarq_free(chunk);
  if (!ok) buffer = tarq_fclose(buffer);
  return buffer;
}
