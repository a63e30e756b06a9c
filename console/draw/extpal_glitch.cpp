// The extended-palette glitch: when it starts, and how it looks.
#include "console/draw/extpal_glitch.h"

#include <cstring>

#include "console/machine/machine_record.h"
#include "engine/data/gfx.h"
#include "engine/tarq.h"

namespace {

constexpr int32_t N = 128;
constexpr uint8_t EXTENDED_BIT = 0x80;  // flips a colour between 0-15 and 128-143

}  // namespace

int32_t tovo_extpal_glitch_end() { return tovo_machine_record().extpal_glitch_end; }

void reset_extpal_glitch() { tovo_machine_record().extpal_glitch_end = 0; }

void activate_extpal_glitch() {
  constexpr int32_t GLITCH_MS = 150;
  int32_t& end = tovo_machine_record().extpal_glitch_end;
  if (end == 0) end = tarq_get_time() + GLITCH_MS;
}

void draw_extpal_glitch(tarq_bitmap* b, int32_t now) {
  if (!b || b->depth != 8 || b->width < N || b->height < N) return;
  uint32_t s = (uint32_t)(now / 4000) + 101;
  for (int32_t y = 0; y < N; y += 2) {
    uint32_t p = (uint32_t)(y / 2);
    uint8_t* row = b->rows[y];
    uint8_t first = row[0];
    memmove(row, row + 1, N - 1);
    row[N - 1] = first;
    if (y % 4 != 0) continue;
    for (uint32_t j = 0; j < N - 1; j++) {
      int32_t f = (int32_t)(s * (111514403u + 222806u * p) + j * s * (101101u + 202u * p));
      if ((j & 6) == 0 && f % 19 != 0) {
        row[j] ^= EXTENDED_BIT;
        if ((row[j] & 15) == 0) row[j] = 1;
      }
    }
  }
}
