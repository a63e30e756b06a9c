// The synthetic font pod of the print tests.
#include "tests/support/synthetic_font.h"

#include "engine/data/gfx.h"
#include "engine/data/pod.h"

uint8_t synthetic_glyph_row(int32_t code, int32_t row) {
  const uint8_t c = static_cast<uint8_t>(code);
  if (c < 128) {
    static const uint8_t mark[6] = {0, 0, 0x9, 0x6, 0, 0};
    if (row == 0) return c & 15;
    if (row == 1) return c >> 4;
    return row >= 0 && row < 6 ? mark[row] : 0;
  }
  static const uint8_t cross[6] = {0, 0, 0x81, 0x42, 0x24, 0x18};
  if (row == 0) return c;
  if (row == 1) return static_cast<uint8_t>(~c);
  return row >= 0 && row < 6 ? cross[row] : 0;
}

tarq_pod* make_synthetic_font_pod() {
  tarq_pod* pod = tarq_create_pod(256);
  for (int32_t c = 0; c < 256; c++) {
    const int32_t w = c < 128 ? 4 : 8;
    tarq_bitmap* g = tarq_create_bitmap(w, 6, 8);
    for (int32_t r = 0; r < 6; r++) {
      for (int32_t j = 0; j < w; j++) g->rows[r][j] = (synthetic_glyph_row(c, r) >> j) & 1;
    }
    cpod_add_item(pod, TARQ_ITEM_BITMAP, g);
  }
  return pod;
}
