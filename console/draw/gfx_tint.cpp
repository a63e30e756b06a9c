// Two-tone recolouring of a rectangle, behind the shell's menus and overlays.
#include <algorithm>
#include <cstdlib>

#include "console/draw/gfx_shapes.h"
#include "engine/platform/events.h"

namespace {

constexpr int32_t RANKS = 16;
// Brightness rank of each colour (0 darkest, 15 brightest).
constexpr int32_t COL_TO_B[16] = {0, 1, 3, 5, 4, 2, 11, 15, 7, 12, 13, 9, 8, 6, 10, 14};
// Colour table used instead while the left shift key is held.
constexpr uint8_t SHIFT_TABLE[16] = {0, 0, 1, 1, 0, 0, 1, 5, 1, 5, 5, 5, 1, 1, 1, 5};

// The rank from which colours become 1: the rank count whose running total
// comes nearest two thirds of the pixels.
int32_t threshold(const tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  int32_t per_rank[RANKS] = {};
  int32_t total = 0;
  for (int32_t y = y0; y <= y1; y++) {
    for (int32_t x = x0; x <= x1; x++) {
      per_rank[COL_TO_B[b->rows[y][x] & 15]]++;
      total++;
    }
  }
  const int32_t target = total * 2 / 3;
  int32_t running = per_rank[0], best = 1, best_distance = -1;
  for (int32_t i = 1; i <= 14; i++) {
    running += per_rank[i];
    const int32_t distance = std::abs(running - target);
    if (best_distance < 0 || distance < best_distance) {
      best = i;
      best_distance = distance;
    }
  }
  return best + 1;
}

}  // namespace

void draw_tinted_rect_adaptive(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t mode) {
  if (!b || !b->rows || b->depth != 8) return;
  // Kept inside the bitmap whatever the caller passes.
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, b->width - 1);
  y1 = std::min(y1, b->height - 1);
  if (x0 > x1 || y0 > y1) return;
  uint8_t table[16];
  if (mode != 1) {
    for (int i = 0; i < 16; i++) table[i] = i >= 6 ? 1 : 0;
  } else if (tarq_get_key_state(SDL_SCANCODE_LSHIFT) != 0) {
    for (int i = 0; i < 16; i++) table[i] = SHIFT_TABLE[i];
  } else {
    const int32_t h = threshold(b, x0, y0, x1, y1);
    for (int i = 0; i < 16; i++) table[i] = COL_TO_B[i] >= h ? 1 : 0;
  }
  for (int32_t y = y0; y <= y1; y++) {
    for (int32_t x = x0; x <= x1; x++) b->rows[y][x] = table[b->rows[y][x] & 15];
  }
}
