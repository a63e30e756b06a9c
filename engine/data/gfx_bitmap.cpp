// Bitmap and palette records, pixel access and the clip rectangle.
#include <cstring>

#include "engine/data/gfx.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"

tarq_bitmap* tarq_create_bitmap(int32_t width, int32_t height, int32_t depth) {
  if (width <= 0 || height <= 0) return nullptr;
  if (depth != 8 && depth != 16 && depth != 24 && depth != 32) return nullptr;
  const uint64_t row_bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(depth / 8);
  const uint64_t bytes = row_bytes * static_cast<uint64_t>(height);
  const uint64_t record = sizeof(tarq_bitmap) + static_cast<uint64_t>(height) * sizeof(uint8_t*);
  if (bytes > TARQ_MEM_LIMIT || record > TARQ_MEM_LIMIT) return nullptr;

  auto* b = static_cast<tarq_bitmap*>(tarq_calloc(static_cast<size_t>(record)));
  if (!b) return nullptr;
  b->pixels = static_cast<uint8_t*>(tarq_calloc(static_cast<size_t>(bytes)));
  if (!b->pixels) {
    tarq_free(b);
    return nullptr;
  }
  b->width = width;
  b->height = height;
  b->depth = depth;
  b->rows = reinterpret_cast<uint8_t**>(b + 1);
  for (int32_t y = 0; y < height; y++) b->rows[y] = b->pixels + static_cast<uint64_t>(y) * row_bytes;
  b->tag = 0;
  tarq_reset_clip(b);
  tarq_item_created();
  return b;
}

tarq_bitmap* tarq_destroy_bitmap(tarq_bitmap* b) {
  if (!b) return nullptr;
  tarq_free(b->pixels);
  tarq_free(b);
  tarq_item_destroyed();
  return nullptr;
}

void tarq_clear_bitmap(tarq_bitmap* b) {
  if (!b || b == tarq_video.tarq_screen || !b->rows) return;
  const size_t row_bytes = static_cast<size_t>(b->width) * static_cast<size_t>(b->depth / 8);
  for (int32_t y = 0; y < b->height; y++) memset(b->rows[y], 0, row_bytes);
}

tarq_palette* tarq_create_palette() {
  auto* p = static_cast<tarq_palette*>(tarq_calloc(sizeof(tarq_palette)));
  if (p) tarq_item_created();
  return p;
}

tarq_palette* tarq_destroy_palette(tarq_palette* p) {
  if (!p) return nullptr;
  tarq_free(p);
  tarq_item_destroyed();
  return nullptr;
}

static bool inside_clip(const tarq_bitmap* b, int32_t x, int32_t y) {
  return x >= b->clip_x0 && x < b->clip_x1 && y >= b->clip_y0 && y < b->clip_y1;
}

void tarq_putpixel(tarq_bitmap* b, int32_t x, int32_t y, uint32_t colour) {
  if (!b->rows || !inside_clip(b, x, y)) return;
  if (b->depth == 8) b->rows[y][x] = static_cast<uint8_t>(colour);
  else if (b->depth == 32) tarq_row32(b, y)[x] = colour;
}

uint32_t tarq_getpixel(const tarq_bitmap* b, int32_t x, int32_t y) {
  if (!b || !b->rows || !inside_clip(b, x, y)) return 0;
  if (b->depth == 8) return b->rows[y][x];
  if (b->depth == 32) return tarq_row32(b, y)[x];
  return 0;
}

static int32_t clamp_to(int32_t v, int32_t hi) { return v < 0 ? 0 : (v > hi ? hi : v); }

// Every end is kept within 0..size; ends that cross still make an empty clip.
void tarq_set_clip(tarq_bitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  b->clip_x0 = clamp_to(x0, b->width);
  b->clip_y0 = clamp_to(y0, b->height);
  b->clip_x1 = clamp_to(x1, b->width);
  b->clip_y1 = clamp_to(y1, b->height);
}

void tarq_reset_clip(tarq_bitmap* b) {
  b->clip_x0 = 0;
  b->clip_x1 = b->width;
  b->clip_y0 = 0;
  b->clip_y1 = b->height;
}
