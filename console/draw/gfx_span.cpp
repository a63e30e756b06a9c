// Span and column writers: the pixel rule for runs of pixels, four at a time
// as words where the row has no transparent pattern bits.
#include <cstring>

#include "console/draw/gfx_pixel.h"
#include "console/machine/machine_record.h"

namespace {

void pick(uint32_t colour, uint32_t pattern, uint32_t bits, uint32_t out[4]) {
  for (int i = 0; i < 4; i++) {
    const uint32_t bit = bits >> (3 - i) & 1;
    out[i] = bit && (pattern & TOVO_PATTERN_TRANSPARENT) ? TOVO_SPAN_SKIP : colour >> (bit * 4) & 15;
  }
}

}  // namespace

void tovo_row_colours(uint32_t colour, uint32_t pattern, int32_t y, uint32_t out[4]) {
  pick(colour, pattern, pattern >> ((3 - (y & 3)) * 4) & 15, out);
}

void tovo_column_colours(uint32_t colour, uint32_t pattern, int32_t x, uint32_t out[4]) {
  const uint32_t p = pattern >> (3 - (x & 3));
  pick(colour, pattern, (p >> 12 & 1) << 3 | (p >> 8 & 1) << 2 | (p >> 4 & 1) << 1 | (p & 1), out);
}

void tovo_span(tarq_bitmap* t, int32_t x0, int32_t x1, int32_t y, const uint32_t colours[4]) {
  uint8_t* row = t->rows[y];
  const uint32_t wm = static_cast<uint32_t>(pstate().write_mask) & 15;
  const uint32_t m = wm & static_cast<uint32_t>(pstate().read_mask);
  const uint8_t keep = static_cast<uint8_t>(~wm & 15);
  int32_t x = x0;
  bool opaque = true;
  for (int i = 0; i < 4; i++) opaque = opaque && colours[i] != TOVO_SPAN_SKIP;
  if (!opaque) {
    for (; x <= x1; x++) {
      const uint32_t n = colours[x & 3];
      if (n != TOVO_SPAN_SKIP) row[x] = static_cast<uint8_t>((m & n) | (row[x] & keep));
    }
    return;
  }
  uint8_t v[4];
  for (int i = 0; i < 4; i++) v[i] = static_cast<uint8_t>(m & colours[i]);
  for (; x <= x1 && (x & 3) != 0; x++) row[x] = static_cast<uint8_t>(v[x & 3] | (row[x] & keep));
  uint32_t word;
  std::memcpy(&word, v, 4);  // byte k is the colour of x & 3 = k
  const uint32_t keep_word = keep * 0x01010101u;
  for (; x + 3 <= x1; x += 4) {
    uint32_t old;
    std::memcpy(&old, row + x, 4);
    old = word | (old & keep_word);
    std::memcpy(row + x, &old, 4);
  }
  for (; x <= x1; x++) row[x] = static_cast<uint8_t>(v[x & 3] | (row[x] & keep));
}

void tovo_span_solid(tarq_bitmap* t, int32_t x0, int32_t x1, int32_t y, uint32_t colour) {
  uint8_t* row = t->rows[y];
  const uint32_t wm = static_cast<uint32_t>(pstate().write_mask) & 15;
  const uint8_t v = static_cast<uint8_t>(wm & static_cast<uint32_t>(pstate().read_mask) & colour);
  if (wm == 15) {
    std::memset(row + x0, v, static_cast<size_t>(x1 - x0 + 1));
    return;
  }
  const uint8_t keep = static_cast<uint8_t>(~wm & 15);
  for (int32_t x = x0; x <= x1; x++) row[x] = static_cast<uint8_t>(v | (row[x] & keep));
}

void tovo_column(tarq_bitmap* t, int32_t x, int32_t y0, int32_t y1, const uint32_t colours[4]) {
  const uint32_t wm = static_cast<uint32_t>(pstate().write_mask) & 15;
  const uint32_t m = wm & static_cast<uint32_t>(pstate().read_mask);
  const uint32_t keep = ~wm & 15;
  // In locals: a byte written through a row may alias anything, and would
  // make the compiler read the rows and colours again after every write.
  uint8_t* const* rows = t->rows;
  const uint32_t c[4] = {colours[0], colours[1], colours[2], colours[3]};
  for (int32_t y = y0; y <= y1; y++) {
    const uint32_t n = c[y & 3];
    if (n == TOVO_SPAN_SKIP) continue;
    uint8_t* p = rows[y] + x;
    *p = static_cast<uint8_t>((m & n) | (*p & keep));
  }
}
