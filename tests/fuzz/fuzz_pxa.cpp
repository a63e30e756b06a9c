// libFuzzer target: both decoders of compressed code on any code area, and
// the compressor. The first byte picks the format header put in front and
// the next two the output capacity. The decoders must end their text with a
// NUL inside the capacity; any text without NULs must come back whole from
// its compressed form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "player/cart/compress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3 || size > 0x3d00 + 3) return 0;
  int32_t capacity = 1 + ((data[1] << 8 | data[2]) & 0xffff);
  std::vector<uint8_t> area(data + 3, data + size);
  if (area.size() >= 4) {
    static const uint8_t pxa[4] = {0, 'p', 'x', 'a'};
    static const uint8_t old[4] = {':', 'c', ':', 0};
    if ((data[0] & 3) == 1) memcpy(area.data(), pxa, 4);
    if ((data[0] & 3) == 2) memcpy(area.data(), old, 4);
  }
  std::vector<char> out(static_cast<size_t>(capacity));
  int32_t n = decompress_mini(area.data(), static_cast<int32_t>(area.size()), out.data(), capacity);
  if (n < 0 || n > capacity - 1) std::abort();
  if (is_compressed_format_header(area.data(), static_cast<int32_t>(area.size())) && out[n] != 0) std::abort();

  // The compressor over the same bytes as text, up to its first NUL.
  size_t text_length = strnlen(reinterpret_cast<const char*>(data + 3), size - 3);
  if (text_length == 0) return 0;
  const char* text = reinterpret_cast<const char*>(data + 3);
  std::vector<uint8_t> block(text_length);
  int32_t m = compress_mini(text, block.data(), static_cast<int32_t>(text_length));
  if (m <= 0 || static_cast<size_t>(m) > text_length) std::abort();
  if (!is_compressed_format_header(block.data(), m)) {
    if (static_cast<size_t>(m) != text_length || memcmp(block.data(), text, text_length) != 0) std::abort();
    return 0;
  }
  std::vector<char> back(text_length + 1);
  if (decompress_mini(block.data(), m, back.data(), static_cast<int32_t>(back.size())) !=
      static_cast<int32_t>(text_length))
    std::abort();
  if (memcmp(back.data(), text, text_length) != 0) std::abort();
  return 0;
}
