// Engine streams: opening, closing, reading, writing and seeking; growable
// memory buffers; little-endian values; loading a whole file into a buffer;
// formatted output.
#include "engine/io/file.h"

#include <bit>
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

// Growable memory buffers: owned memory streams that grow by doubling.
tarq_file* tarq_create_buffer(int32_t capacity) {
  if (capacity < 4) capacity = 4;
  if (static_cast<uint32_t>(capacity) > TARQ_MEM_LIMIT) return nullptr;
  tarq_file* f = static_cast<tarq_file*>(tarq_calloc(sizeof(tarq_file)));
  if (!f) return nullptr;
  f->data = static_cast<uint8_t*>(tarq_calloc(static_cast<size_t>(capacity)));
  if (!f->data) {
    tarq_free(f);
    return nullptr;
  }
  f->kind = TARQ_FILE_MEMORY;
  f->capacity = capacity;
  return f;
}

int tarq_allocate_buffer_size(tarq_file* f, int32_t n) {
  if (!f || f->kind != TARQ_FILE_MEMORY) return 1;
  if (n <= f->capacity) return 0;
  if (f->capacity == 0 && f->data) return 1;  // borrowed blocks never grow
  if (static_cast<uint32_t>(n) > TARQ_MEM_LIMIT) return 1;
  int64_t wanted = 2 * int64_t{n};
  int32_t grown = wanted > TARQ_MEM_LIMIT ? static_cast<int32_t>(TARQ_MEM_LIMIT) : static_cast<int32_t>(wanted);
  uint8_t* data = static_cast<uint8_t*>(f->data ? tarq_realloc(f->data, static_cast<size_t>(grown))
                                                : tarq_malloc(static_cast<size_t>(grown)));
  if (!data) return 1;
  int32_t old = f->data ? f->capacity : 0;
  memset(data + old, 0, static_cast<size_t>(grown - old));
  f->data = data;
  f->capacity = grown;
  return 0;
}

void tarq_destroy_buffer(tarq_file* f) { tarq_fclose(f); }

tarq_file* tarq_clear_buffer(tarq_file* f) {
  if (f) {
    f->size = 0;
    f->pos = 0;
  }
  return f;
}

uint8_t* cbuffer_add_data(tarq_file* f, const void* data, int32_t count) {
  if (!f || f->kind != TARQ_FILE_MEMORY || f->pos < 0 || count < 0) return nullptr;
  int32_t at = f->pos;
  if (tarq_fwrite(data, 1, static_cast<size_t>(count), f) != static_cast<size_t>(count) || !f->data) return nullptr;
  return f->data + at;
}

// Little-endian 32-bit and 16-bit values on engine streams.
static_assert(std::endian::native == std::endian::little, "stream values are stored in host order");

namespace {

void write_bytes(const void* src, size_t n, tarq_file* f) { tarq_fwrite(src, 1, n, f); }

}  // namespace

void tarq_fwrite_int32(int32_t v, tarq_file* f) { write_bytes(&v, sizeof v, f); }

void tarq_fwrite_int32s(const int32_t* src, int n, tarq_file* f) {
  if (src && n > 0) write_bytes(src, 4 * static_cast<size_t>(n), f);
}

void tarq_fwrite_int16s(const int16_t* src, int n, tarq_file* f) {
  if (src && n > 0) write_bytes(src, 2 * static_cast<size_t>(n), f);
}

// Whole files: loading a file into a memory buffer.
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

// Formatted output to engine streams.
namespace {

constexpr int PRINT_BUFFER = 1024;

void write_text(const char* text, tarq_file* f) { tarq_fwrite(text, 1, strlen(text), f); }

}  // namespace

// The formats come from engine code, never from data.
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"

int tarq_fprintf_1d(tarq_file* f, const char* fmt, int a) {
  char text[PRINT_BUFFER] = {};
  if (fmt && snprintf(text, sizeof text, fmt, a) > 0) write_text(text, f);
  return 0;
}

int tarq_fprintf_4x(tarq_file* f, const char* fmt, int a, int b, int c, int d) {
  char text[PRINT_BUFFER] = {};
  if (fmt && snprintf(text, sizeof text, fmt, a, b, c, d) > 0) write_text(text, f);
  return 0;
}

int tarq_fprintf_1s(tarq_file* f, const char* fmt, const char* text) {
  if (!fmt || !text) return 0;
  int len = snprintf(nullptr, 0, fmt, text);
  if (len <= 0) return 0;
  char* out = static_cast<char*>(tarq_malloc(static_cast<size_t>(len) + 1));
  if (!out) return 0;
  snprintf(out, static_cast<size_t>(len) + 1, fmt, text);
  tarq_fwrite(out, 1, static_cast<size_t>(len), f);
  tarq_free(out);
  return 0;
}
