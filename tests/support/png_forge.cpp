#include "tests/support/png_forge.h"

#include <zlib.h>

#include <vector>

namespace tovo_test {

namespace {

void put32(std::string* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back((char)(v >> shift));
}

void chunk(std::string* out, const char* type, const std::string& data) {
  put32(out, (uint32_t)data.size());
  std::string body = std::string(type, 4) + data;
  out->append(body);
  put32(out, (uint32_t)crc32(0, (const Bytef*)body.data(), (uInt)body.size()));
}

}  // namespace

std::string forged_png(uint32_t width, uint32_t height, uint8_t bit_depth, uint8_t colour_type, size_t raw_bytes) {
  std::string header;
  put32(&header, width);
  put32(&header, height);
  header += {(char)bit_depth, (char)colour_type, 0, 0, 0};
  std::vector<Bytef> zeros(raw_bytes, 0);
  uLongf packed_size = compressBound((uLong)raw_bytes);
  std::vector<Bytef> packed(packed_size);
  compress2(packed.data(), &packed_size, zeros.data(), (uLong)raw_bytes, Z_BEST_COMPRESSION);
  std::string png = "\x89PNG\r\n\x1a\n";
  chunk(&png, "IHDR", header);
  chunk(&png, "IDAT", std::string((const char*)packed.data(), packed_size));
  chunk(&png, "IEND", "");
  return png;
}

size_t png_scanline_bytes(uint32_t width, uint32_t height, uint32_t bits_per_pixel) {
  return (size_t)height * (1 + ((size_t)width * bits_per_pixel + 7) / 8);
}

}  // namespace tovo_test
