// The PXA compressor: move-to-front literals and back-references scored by
// bytes per bit, with a two-position look-ahead for short matches.
#include <cstring>

#include "player/cart/compress.h"

namespace {

constexpr int32_t HASH_BUCKETS = 4096;
constexpr int32_t MAX_OFFSET = 32767;

// The match index: for each 3-byte key the positions that start with it, in
// increasing order. Counted and filled exactly once per call, so it holds
// every position of the largest input without any chance of overflow.
uint16_t index_positions[TOVO_PXA_MAX_TEXT];
int32_t index_start[HASH_BUCKETS + 1];

int32_t hash_key(const uint8_t* s) { return (7 * s[0] + 1503 * s[1] + 51717 * s[2]) % HASH_BUCKETS; }

void build_index(const uint8_t* text, int32_t len) {
  int32_t count[HASH_BUCKETS] = {};
  for (int32_t i = 0; i + 2 < len; i++) count[hash_key(text + i)]++;
  index_start[0] = 0;
  for (int32_t k = 0; k < HASH_BUCKETS; k++) index_start[k + 1] = index_start[k] + count[k];
  int32_t fill[HASH_BUCKETS];
  memcpy(fill, index_start, sizeof fill);
  for (int32_t i = 0; i + 2 < len; i++) index_positions[fill[hash_key(text + i)]++] = static_cast<uint16_t>(i);
}

struct match {
  int32_t offset;  // p - q
  int32_t length;
  int32_t score;  // length * 256 / cost in bits
};

int32_t match_cost(int32_t offset) {
  if (offset < 32) return 10;
  if (offset < 1024) return 16;
  return 21;
}

// The best-scoring earlier position of p's bucket within reach; the first of
// equal scores (the farthest) wins. No match when fewer than 3 bytes are left.
match pxa_find_repeatable_block(const uint8_t* text, int32_t len, int32_t p) {
  match best = {0, 0, 0};
  if (len - p < 3) return best;
  int32_t key = hash_key(text + p);
  for (int32_t i = index_start[key]; i < index_start[key + 1]; i++) {
    int32_t q = index_positions[i];
    if (q >= p) break;
    if (p - q > MAX_OFFSET) continue;
    int32_t n = 0;
    while (p + n < len && text[q + n] == text[p + n]) n++;
    int32_t score = n * 256 / match_cost(p - q);
    if (score > best.score) best = {p - q, n, score};
  }
  return best;
}

// Width in bits of the literal value field for a table index: 4 + n.
int32_t literal_width(int32_t index) {
  int32_t n = 0;
  while (index >= 16 * ((1 << (n + 1)) - 1)) n++;
  return 4 + n;
}

int32_t literal_score(int32_t index) {
  if (index <= 15) return 42;
  return 256 / (2 * literal_width(index) - 2);
}

// Bits are added from bit 0 of each byte; a write that would pass `limit`
// bytes marks the writer full instead.
struct bit_writer {
  uint8_t* out;
  int32_t limit;
  int32_t bit;  // bits written
  bool full;

  void put(uint32_t value, int32_t width) {
    for (int32_t i = 0; i < width; i++) {
      int32_t byte = bit >> 3;
      if (byte >= limit) {
        full = true;
        return;
      }
      if ((bit & 7) == 0) out[byte] = 0;
      if ((value >> i) & 1) out[byte] |= static_cast<uint8_t>(1u << (bit & 7));
      bit++;
    }
  }
};

void put_literal(bit_writer& w, int32_t index) {
  int32_t width = literal_width(index);
  int32_t n = width - 4;
  w.put(1, 1);
  w.put((1u << n) - 1, n);
  w.put(0, 1);
  w.put(static_cast<uint32_t>(index - 16 * ((1 << n) - 1)), width);
}

void put_copy(bit_writer& w, int32_t offset, int32_t length) {
  uint32_t o = static_cast<uint32_t>(offset - 1);
  w.put(0, 1);
  if (o <= 31) {
    w.put(1, 1);
    w.put(1, 1);
    w.put(o, 5);
  } else if (o < 1024) {
    w.put(1, 1);
    w.put(0, 1);
    w.put(o, 10);
  } else {
    w.put(0, 1);
    w.put(o, 15);
  }
  int32_t rest = length - 3;
  while (rest >= 7) {
    w.put(7, 3);
    rest -= 7;
  }
  w.put(static_cast<uint32_t>(rest), 3);
}

int32_t place_plain(const char* text, uint8_t* out, int32_t len) {
  memcpy(out, text, static_cast<size_t>(len));
  return len;
}

}  // namespace

int is_compressed_format_header(const uint8_t* data, int32_t size) {
  if (!data || size < 4) return TOVO_NOT_COMPRESSED;
  if (data[0] == 0x3a && data[1] == 0x63 && data[2] == 0x3a && data[3] == 0) return TOVO_OLD_FORMAT;
  if (data[0] == 0 && data[1] == 0x70 && data[2] == 0x78 && data[3] == 0x61) return TOVO_PXA_FORMAT;
  return TOVO_NOT_COMPRESSED;
}

int32_t pxa_compress(const char* text_chars, uint8_t* out, int32_t len) {
  if (len <= 0) return 0;
  if (len > TOVO_PXA_MAX_TEXT) return place_plain(text_chars, out, len);
  const uint8_t* text = reinterpret_cast<const uint8_t*>(text_chars);
  // The block may grow to the text's length; one byte more and the text is
  // placed as it is.
  if (len <= TOVO_PXA_HEADER_SIZE) return place_plain(text_chars, out, len);
  build_index(text, len);

  uint8_t table[256];
  for (int32_t i = 0; i < 256; i++) table[i] = static_cast<uint8_t>(i);

  bit_writer w = {out, len, TOVO_PXA_HEADER_SIZE * 8, false};

  int32_t p = 0;
  while (p < len && !w.full) {
    match m = pxa_find_repeatable_block(text, len, p);
    int32_t index = static_cast<int32_t>(static_cast<const uint8_t*>(memchr(table, text[p], 256)) - table);
    int32_t lit_score = literal_score(index);
    if (m.length >= 3 && m.score > lit_score && m.score <= 127) {
      // A better match one or two bytes on is worth a literal now.
      for (int32_t ahead = 1; ahead <= 2; ahead++) {
        match next = pxa_find_repeatable_block(text, len, p + ahead);
        if (next.score * 5 > m.score * 6) {
          m.length = 0;
          break;
        }
      }
    }
    if (m.length >= 3 && m.score > lit_score) {
      put_copy(w, m.offset, m.length);
      p += m.length;
    } else {
      put_literal(w, index);
      memmove(table + 1, table, static_cast<size_t>(index));
      table[0] = text[p];
      p++;
    }
  }
  if (w.full) return place_plain(text_chars, out, len);

  int32_t block = (w.bit + 7) >> 3;
  out[0] = 0;
  out[1] = 0x70;
  out[2] = 0x78;
  out[3] = 0x61;
  out[4] = static_cast<uint8_t>(len >> 8);
  out[5] = static_cast<uint8_t>(len);
  out[6] = static_cast<uint8_t>(block >> 8);
  out[7] = static_cast<uint8_t>(block);
  return block;
}

int32_t compress_mini(const char* text, uint8_t* out, int32_t len) { return pxa_compress(text, out, len); }
