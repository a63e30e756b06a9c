// Engine streams: opening, closing, reading, writing and seeking.
#include "engine/io/file.h"

#include <cstring>

#include "engine/tracked_mem.h"

namespace {

bool is_memory(const tarq_file* f) { return f && f->kind == TARQ_FILE_MEMORY; }
bool is_stdio(const tarq_file* f) { return f && f->kind == TARQ_FILE_STDIO && f->fp; }

// Bytes left to read in a memory stream (0 when the position is out of range).
size_t remaining(const tarq_file* f) {
  return f->pos >= 0 && f->pos < f->size ? static_cast<size_t>(f->size - f->pos) : 0;
}

// size * count, or SIZE_MAX when the product does not fit.
size_t byte_count(size_t size, size_t count) {
  size_t n;
  return __builtin_mul_overflow(size, count, &n) ? SIZE_MAX : n;
}

}  // namespace

tarq_file* tarq_fopen(const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  tarq_file* f = static_cast<tarq_file*>(tarq_calloc(sizeof(tarq_file)));
  if (!f) return nullptr;
  f->kind = TARQ_FILE_STDIO;
  f->fp = fopen(path, mode);
  if (f->fp) return f;
  tarq_free(f);
  return mode[0] == 'r' ? tarq_fopen_vdisk(path, mode) : nullptr;
}

tarq_file* tarq_fclose(tarq_file* f) {
  if (!f || vdisk_file_owned(f)) return nullptr;
  if (f->kind == TARQ_FILE_STDIO && f->fp) fclose(f->fp);
  if (f->kind == TARQ_FILE_MEMORY && f->capacity != 0) tarq_free(f->data);
  tarq_free(f);
  return nullptr;
}

size_t tarq_fread(void* dst, size_t size, size_t count, tarq_file* f) {
  if (is_stdio(f)) return fread(dst, size, count, f->fp);
  if (!is_memory(f)) return 0;
  size_t n = byte_count(size, count);
  size_t left = remaining(f);
  if (n > left) n = left;
  if (n == 0) return 0;
  memcpy(dst, f->data + f->pos, n);
  f->pos += static_cast<int32_t>(n);
  return n;
}

size_t tarq_fwrite(const void* src, size_t size, size_t count, tarq_file* f) {
  if (is_stdio(f)) return fwrite(src, size, count, f->fp);
  if (!is_memory(f) || f->pos < 0) return 0;
  size_t n = byte_count(size, count);
  if (f->capacity == 0) {  // borrowed: written in place, never past its end
    size_t left = remaining(f);
    if (n > left) n = left;
  } else {
    if (n > TARQ_MEM_LIMIT - static_cast<size_t>(f->pos)) return 0;
    if (tarq_allocate_buffer_size(f, f->pos + static_cast<int32_t>(n)) != 0) return 0;
  }
  if (n == 0) return 0;
  // A write after a seek past the end of an owned buffer leaves a gap: it
  // reads as zeros, whatever the block held there before (a cleared buffer
  // keeps its old bytes).
  if (f->capacity != 0 && f->pos > f->size) memset(f->data + f->size, 0, static_cast<size_t>(f->pos - f->size));
  if (src) memcpy(f->data + f->pos, src, n);
  else memset(f->data + f->pos, 0, n);
  f->pos += static_cast<int32_t>(n);
  if (f->size < f->pos) f->size = f->pos;
  return n;
}

int tarq_feof(tarq_file* f) {
  if (is_stdio(f)) return feof(f->fp);
  if (is_memory(f)) return f->pos >= f->size;
  return 0;
}

int tarq_fseek(tarq_file* f, long offset, int whence) {
  if (whence != SEEK_CUR) return 0;
  if (is_stdio(f)) return fseek(f->fp, offset, SEEK_CUR);
  if (!is_memory(f)) return 0;
  // Past the end is allowed (nothing is read there); before the start, or
  // beyond what the position can hold, is refused as stdio refuses it.
  int64_t target;
  if (__builtin_add_overflow(static_cast<int64_t>(f->pos), static_cast<int64_t>(offset), &target) || target < 0 ||
      target > INT32_MAX)
    return -1;
  f->pos = static_cast<int32_t>(target);
  return 0;
}

int tarq_fgetc(tarq_file* f) {
  if (is_stdio(f)) return fgetc(f->fp);
  if (!is_memory(f) || remaining(f) == 0) return 0;
  return f->data[f->pos++];
}
