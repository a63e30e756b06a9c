// LZ4 records inside pod-file chunks.
#include <lz4.h>

#include <cstdio>

#include "engine/formats/pod_file.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"

int64_t tarq_stream_remaining(tarq_file* f) {
  if (!f) return 0;
  if (f->kind == TARQ_FILE_MEMORY) {
    if (f->pos < 0) return 0;
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
  if (k <= 0 || capacity < 0 || !dst) return -1;
  // A record cut short by the end of the stream decodes as far as it goes.
  int64_t left = tarq_stream_remaining(f);
  int32_t n = k < left ? k : static_cast<int32_t>(left);
  if (n <= 0) return -1;
  char* scratch = static_cast<char*>(tarq_malloc(static_cast<size_t>(n)));
  if (!scratch) {
    tarq_fseek(f, n, SEEK_CUR);  // the record is passed over all the same
    return -1;
  }
  int32_t got = static_cast<int32_t>(tarq_fread(scratch, 1, static_cast<size_t>(n), f));
  int32_t result = got > 0 ? LZ4_decompress_safe(scratch, static_cast<char*>(dst), got, capacity) : -1;
  tarq_free(scratch);
  return result;
}
