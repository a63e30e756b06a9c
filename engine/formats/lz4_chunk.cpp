// LZ4 records inside pod-file chunks.
#include <lz4.h>

#include <cstdio>

#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/mem.h"

int64_t tarq_stream_remaining(tarq_file* f) {
  if (!f) return 0;
  if (f->kind == TARQ_FILE_MEMORY) {
    int64_t left = static_cast<int64_t>(f->size) - f->pos;
    return left > 0 ? left : 0;
  }
  if (f->kind != TARQ_FILE_STDIO || !f->fp) return 0;
  long here = ftell(f->fp);
  if (here < 0 || fseek(f->fp, 0, SEEK_END) != 0) return 0;
  long end = ftell(f->fp);
  fseek(f->fp, here, SEEK_SET);
  return end > here ? static_cast<int64_t>(end) - here : 0;
}

int32_t tarq_fread_lz4_block(void* dst, int32_t capacity, int32_t k, tarq_file* f) {
  if (k < 0 || k > LZ4_compressBound(TARQ_LZ4_MAX_INPUT) || capacity < 0) return -1;
  if (k > tarq_stream_remaining(f)) return -1;
  char* scratch = static_cast<char*>(tarq_malloc(static_cast<size_t>(k)));
  if (!scratch) return -1;
  int32_t got = static_cast<int32_t>(tarq_fread(scratch, 1, static_cast<size_t>(k), f));
  int32_t result = -1;
  if (got == k && k > 0) result = LZ4_decompress_safe(scratch, static_cast<char*>(dst), k, capacity);
  tarq_free(scratch);
  return result;
}
