// Little-endian 32-bit and 16-bit values on engine streams.
#include <bit>
#include <cstring>

#include "engine/io/file.h"

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
