// Little-endian binary values on engine streams, one at a time (a short read
// leaves the missing high bytes zero); single bytes and strings on growable
// memory buffers; a stream over a borrowed block of memory.
#include "engine/io/stream_values.h"

#include <bit>
#include <cstring>

#include "engine/io/file.h"
#include "engine/tracked_mem.h"

static_assert(std::endian::native == std::endian::little, "stream values are stored in host order");

namespace {

void read_bytes(void* dst, size_t n, tarq_file* f) {
  memset(dst, 0, n);
  tarq_fread(dst, 1, n, f);
}

template <typename T>
T read_value(tarq_file* f) {
  T v;
  read_bytes(&v, sizeof v, f);
  return v;
}

template <typename T>
void write_value(T v, tarq_file* f) {
  tarq_fwrite(&v, 1, sizeof v, f);
}

}  // namespace

uint8_t tarq_fread_uint8(tarq_file* f) { return read_value<uint8_t>(f); }
int8_t tarq_fread_int8(tarq_file* f) { return read_value<int8_t>(f); }
uint16_t tarq_fread_uint16(tarq_file* f) { return read_value<uint16_t>(f); }
int16_t tarq_fread_int16(tarq_file* f) { return read_value<int16_t>(f); }
uint32_t tarq_fread_uint32(tarq_file* f) { return read_value<uint32_t>(f); }
int32_t tarq_fread_int32(tarq_file* f) { return read_value<int32_t>(f); }
float tarq_fread_float(tarq_file* f) { return read_value<float>(f); }

void tarq_fread_int32s(int32_t* dst, int n, tarq_file* f) {
  if (dst && n > 0) read_bytes(dst, 4 * static_cast<size_t>(n), f);
}

void tarq_fread_int16s(int16_t* dst, int n, tarq_file* f) {
  if (dst && n > 0) read_bytes(dst, 2 * static_cast<size_t>(n), f);
}

void tarq_fwrite_uint8(uint8_t v, tarq_file* f) { write_value(v, f); }
void tarq_fwrite_int8(int8_t v, tarq_file* f) { write_value(v, f); }
void tarq_fwrite_uint16(uint16_t v, tarq_file* f) { write_value(v, f); }
void tarq_fwrite_int16(int16_t v, tarq_file* f) { write_value(v, f); }
void tarq_fwrite_uint32(uint32_t v, tarq_file* f) { write_value(v, f); }
void tarq_fwrite_float(float v, tarq_file* f) { write_value(v, f); }

// Single bytes and strings on growable memory buffers.
uint8_t* cbuffer_add_uint8(tarq_file* f, uint8_t byte) {
  if (!f || f->kind != TARQ_FILE_MEMORY || f->pos < 0) return nullptr;
  if (f->capacity != 0 ? tarq_allocate_buffer_size(f, f->pos + 1) != 0 : f->pos >= f->size) return nullptr;
  uint8_t* at = f->data + f->pos;
  *at = byte;
  f->pos++;
  if (f->size < f->pos) f->size = f->pos;
  return at;
}

uint8_t* cbuffer_add_string(tarq_file* f, const char* text) {
  if (!text) return nullptr;
  size_t n = strlen(text) + 1;
  if (n > TARQ_MEM_LIMIT) return nullptr;
  return cbuffer_add_data(f, text, static_cast<int32_t>(n));
}

uint8_t cbuffer_get_uint8(tarq_file* f) {
  if (!f || f->kind != TARQ_FILE_MEMORY || f->pos < 0 || f->pos >= f->size) return 0;
  return f->data[f->pos++];
}

// A stream over a borrowed block of memory.
tarq_file* tarq_fopen_memory(const void* data, int32_t size) {
  if (size < 0 || (size > 0 && !data)) return nullptr;
  tarq_file* f = static_cast<tarq_file*>(tarq_calloc(sizeof(tarq_file)));
  if (!f) return nullptr;
  f->kind = TARQ_FILE_MEMORY;
  f->data = static_cast<uint8_t*>(const_cast<void*>(data));
  f->size = size;
  return f;
}
