#include "engine/data/voxmap.h"

#include <cstring>

#include "engine/data/gfx.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"

namespace {

// A slice: a bitmap record whose pixels belong to the voxmap.
tarq_bitmap* make_slice(int32_t w, int32_t h, uint8_t* pixels) {
  auto* b = static_cast<tarq_bitmap*>(tarq_calloc(sizeof(tarq_bitmap) + sizeof(uint8_t*) * static_cast<size_t>(h)));
  if (!b) return nullptr;
  b->width = w;
  b->height = h;
  b->depth = 8;
  b->pixels = pixels;
  b->rows = reinterpret_cast<uint8_t**>(b + 1);
  for (int32_t y = 0; y < h; y++) b->rows[y] = pixels + static_cast<size_t>(y) * static_cast<size_t>(w);
  tarq_reset_clip(b);
  return b;
}

}  // namespace

tarq_voxmap* tarq_create_voxmap(int32_t width, int32_t height, int32_t depth) {
  if (width <= 0 || height <= 0 || depth <= 0) return nullptr;
  uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * static_cast<uint64_t>(depth);
  uint64_t record = sizeof(tarq_voxmap) + sizeof(tarq_bitmap*) * static_cast<uint64_t>(depth);
  if (bytes > TARQ_MEM_LIMIT || record > TARQ_MEM_LIMIT ||
      static_cast<uint64_t>(height) * sizeof(uint8_t*) > TARQ_MEM_LIMIT)
    return nullptr;
  auto* v = static_cast<tarq_voxmap*>(tarq_calloc(static_cast<size_t>(record)));
  if (!v) return nullptr;
  v->voxels = static_cast<uint8_t*>(tarq_calloc(static_cast<size_t>(bytes)));
  if (!v->voxels) {
    tarq_free(v);
    return nullptr;
  }
  v->width = width;
  v->height = height;
  v->depth = depth;
  v->slices = reinterpret_cast<tarq_bitmap**>(v + 1);
  size_t slice_bytes = static_cast<size_t>(width) * static_cast<size_t>(height);
  for (int32_t z = 0; z < depth; z++) {
    v->slices[z] = make_slice(width, height, v->voxels + slice_bytes * static_cast<size_t>(z));
    if (!v->slices[z]) {
      for (int32_t k = 0; k < z; k++) tarq_free(v->slices[k]);
      tarq_free(v->voxels);
      tarq_free(v);
      return nullptr;
    }
  }
  tarq_reset_voxmap_clip(v);
  tarq_item_created();
  return v;
}

int tarq_destroy_voxmap(tarq_voxmap* v) {
  if (!v) return 0;
  for (int32_t z = 0; z < v->depth; z++) tarq_free(v->slices[z]);
  tarq_free(v->voxels);
  tarq_free(v);
  tarq_item_destroyed();
  return 0;
}

void tarq_reset_voxmap_clip(tarq_voxmap* v) {
  if (!v) return;
  v->clip_x0 = v->clip_y0 = v->clip_z0 = 0;
  v->clip_x1 = v->width;
  v->clip_y1 = v->height;
  v->clip_z1 = v->depth;
  for (int32_t z = 0; z < v->depth; z++) tarq_reset_clip(v->slices[z]);
}
