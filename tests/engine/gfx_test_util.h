#pragma once
// Small helpers for bitmap tests: pictures of 8-bit bitmaps as rows of
// characters ('.' for 0, hex digits for 1..15, '#' for anything larger).
#include <memory>
#include <string>

#include "engine/data/gfx.h"

struct bitmap_deleter {
  void operator()(tarq_bitmap* b) const { tarq_destroy_bitmap(b); }
};
using bitmap_ptr = std::unique_ptr<tarq_bitmap, bitmap_deleter>;

inline bitmap_ptr make_bitmap(int w, int h, int depth = 8) { return bitmap_ptr(tarq_create_bitmap(w, h, depth)); }

inline std::string picture(const tarq_bitmap* b) {
  std::string out;
  for (int y = 0; y < b->height; y++) {
    for (int x = 0; x < b->width; x++) {
      const uint32_t v = b->depth == 8 ? b->rows[y][x] : tarq_row32(b, y)[x];
      out += v == 0 ? '.' : v < 16 ? "0123456789abcdef"[v] : '#';
    }
    out += '\n';
  }
  return out;
}

// Fills an 8-bit bitmap from a picture in the same notation.
inline void paint(tarq_bitmap* b, const std::string& pic) {
  int x = 0, y = 0;
  for (char c : pic) {
    if (c == '\n') {
      x = 0;
      y++;
      continue;
    }
    const uint8_t v = c == '.' ? 0 : uint8_t(std::stoi(std::string(1, c), nullptr, 16));
    if (y < b->height && x < b->width) b->rows[y][x] = v;
    x++;
  }
}
