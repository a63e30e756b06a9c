// Little-endian binary values on engine streams, one at a time. A short read
// leaves the missing high bytes zero.
#include "engine/io/stream_values.h"

#include <bit>
#include <cstring>

#include "engine/io/file.h"

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
