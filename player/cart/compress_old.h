#pragma once
// Pieces of the older code compression that the compressor no longer uses: a
// match finder for the old byte-oriented format (back-references of at most
// 17 bytes from at most 3120 bytes back), and a writer of single bits of the
// PXA bit stream.
#include <cstdint>

constexpr int32_t TOVO_OLD_MATCH_WINDOW = 3120;
constexpr int32_t TOVO_OLD_MATCH_MAX = 17;
constexpr int32_t TOVO_OLD_MATCH_MIN = 3;
constexpr int32_t TOVO_OLD_HASHES = 4096;

// The last position at which each 3-byte hash was seen (-1 none).
struct tovo_old_match_index {
  int32_t last[TOVO_OLD_HASHES];
};

// Forgets every position.
void old_match_index_clear(tovo_old_match_index* index);
// The longest earlier copy of the bytes at pos (at most 17 of them, from at
// most 3120 bytes back; the nearest of equal length): its length (0 when
// shorter than 3), with its distance back in *offset. A 3-byte hash of pos
// whose last position lies outside the window means no match; pos is then
// recorded as its hash's last position. Positions are expected in
// increasing order.
int32_t old_find_repeatable_block(const uint8_t* text, int32_t len, int32_t pos, tovo_old_match_index* index,
                                  int32_t* offset);

// A writer of the PXA bit stream: bit 0 of each byte first.
struct tovo_bit_writer {
  uint8_t* out;
  int32_t capacity;  // bytes
  int32_t bits;      // written so far
};
// Writes one bit; false (nothing written) when the output is full.
bool pxa_write_bit(tovo_bit_writer* w, int32_t bit);
