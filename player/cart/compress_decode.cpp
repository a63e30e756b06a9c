// Decoders for compressed cart code: PXA and the old byte-code format.
#include <cstring>

#include "player/cart/compress.h"

namespace {

constexpr int32_t MAX_LENGTH_CHUNKS = 33334;
constexpr int32_t MAX_LITERAL_PREFIX = 16;

uint32_t read_be16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) << 8 | p[1]; }

// Reads bits from bit 0 of each byte; past `end` bytes every bit reads 0.
struct bit_reader {
  const uint8_t* data;
  int32_t end;
  int64_t bit;

  uint32_t get(int32_t width) {
    uint32_t value = 0;
    for (int32_t i = 0; i < width; i++, bit++) {
      int64_t byte = bit >> 3;
      if (byte < end && ((data[byte] >> (bit & 7)) & 1)) value |= 1u << i;
    }
    return value;
  }
  bool before_end() const { return (bit >> 3) < end; }
};

const char OLD_FORMAT_CHARS[] = "\n 0123456789abcdefghijklmnopqrstuvwxyz!#%(){}[]<>+=/*:;.,~_";

const char* const OLD_FORMAT_TAILS[] = {
    "if(_update60)_update=function()_update60()_update60()end",
    "if(_update60)_update=function()_update60()_update_buttons()_update60()end",
};

}  // namespace

int32_t pxa_decompress(const uint8_t* data, int32_t size, char* out, int32_t capacity) {
  if (capacity < 1) return 0;
  out[0] = 0;
  if (!data || size < TOVO_PXA_HEADER_SIZE) return 0;
  int32_t text_len = static_cast<int32_t>(read_be16(data + 4));
  int32_t block_len = static_cast<int32_t>(read_be16(data + 6));
  int32_t limit = text_len < capacity - 1 ? text_len : capacity - 1;
  bit_reader in = {data, block_len < size ? block_len : size, TOVO_PXA_HEADER_SIZE * 8};

  uint8_t table[256];
  for (int32_t i = 0; i < 256; i++) table[i] = static_cast<uint8_t>(i);

  int32_t count = 0;
  bool ended = false;
  while (!ended && in.before_end() && count < limit) {
    if (in.get(1)) {
      int32_t n = 0;
      while (n < MAX_LITERAL_PREFIX && in.get(1)) n++;
      int64_t index = static_cast<int64_t>(in.get(4 + n)) + 16 * ((int64_t{1} << n) - 1);
      if (index >= 256) break;
      uint8_t value = table[index];
      memmove(table + 1, table, static_cast<size_t>(index));
      table[0] = value;
      out[count++] = static_cast<char>(value);
    } else {
      int32_t width = 15;
      if (in.get(1)) width = in.get(1) ? 5 : 10;
      int32_t offset = static_cast<int32_t>(in.get(width)) + 1;
      if (width == 10 && offset == 1) {
        // A raw block: 8-bit values up to a zero.
        for (;;) {
          uint32_t value = in.get(8);
          if (value == 0) break;
          if (count >= limit) {
            ended = true;
            break;
          }
          out[count++] = static_cast<char>(value);
        }
      } else {
        int32_t length = 3;
        for (int32_t chunks = 0; chunks < MAX_LENGTH_CHUNKS; chunks++) {
          uint32_t chunk = in.get(3);
          length += static_cast<int32_t>(chunk);
          if (chunk != 7) break;
        }
        if (offset > count) break;  // a reference to before the text
        for (int32_t i = 0; i < length && count < limit; i++, count++) out[count] = out[count - offset];
      }
    }
  }
  out[count] = 0;
  return count;
}

int32_t old_format_decompress(const uint8_t* data, int32_t size, char* out, int32_t capacity) {
  if (capacity < 1) return 0;
  memset(out, 0, static_cast<size_t>(capacity));
  if (!data || size < TOVO_PXA_HEADER_SIZE) return 0;
  int32_t declared = static_cast<int32_t>(read_be16(data + 4));
  if (declared > capacity - 1) return 0;

  int32_t count = 0;
  int32_t pos = TOVO_PXA_HEADER_SIZE;
  while (count < declared && pos < size) {
    int32_t code = data[pos++];
    if (code == 0) {
      if (pos >= size) break;
      out[count++] = static_cast<char>(data[pos++]);
    } else if (code < 60) {
      out[count++] = OLD_FORMAT_CHARS[code - 1];
    } else {
      if (pos >= size) break;
      int32_t b = data[pos++];
      int32_t offset = ((code - 60) << 4) | (b & 15);
      int32_t length = (b >> 4) + 2;
      if (offset == 0 || offset > count) break;  // a reference to before the text
      for (int32_t i = 0; i < length && count < declared; i++, count++) out[count] = out[count - offset];
    }
  }

  for (const char* tail : OLD_FORMAT_TAILS) {
    int32_t n = static_cast<int32_t>(strlen(tail));
    if (count >= n && memcmp(out + count - n, tail, static_cast<size_t>(n)) == 0) {
      count -= n;
      memset(out + count, 0, static_cast<size_t>(n));
      break;
    }
  }
  return count;
}

int32_t decompress_mini(const uint8_t* data, int32_t size, char* out, int32_t capacity) {
  switch (is_compressed_format_header(data, size)) {
    case TOVO_PXA_FORMAT: return pxa_decompress(data, size, out, capacity);
    case TOVO_OLD_FORMAT: return old_format_decompress(data, size, out, capacity);
    default: return 0;
  }
}
