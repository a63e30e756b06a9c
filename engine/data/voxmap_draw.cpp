// Voxel access, the clip box and drawing on voxmaps: boxes, lines and copies
// between voxmaps.
#include "engine/data/voxmap_draw.h"

#include <cstring>
#include <initializer_list>

#include "engine/data/gfx.h"
#include "engine/data/voxmap.h"

namespace {

bool inside_clip(const tarq_voxmap* v, int32_t x, int32_t y, int32_t z) {
  return x >= v->clip_x0 && x < v->clip_x1 && y >= v->clip_y0 && y < v->clip_y1 && z >= v->clip_z0 && z < v->clip_z1;
}

using slice_copy = void (*)(tarq_bitmap*, tarq_bitmap*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t);

void copy_voxmap(tarq_voxmap* src, tarq_voxmap* dst, int32_t x, int32_t y, int32_t z, slice_copy copy) {
  if (!src || !dst) return;
  if (static_cast<int64_t>(z) < static_cast<int64_t>(dst->clip_z0) - src->depth || z >= dst->clip_z1) return;
  for (int32_t i = 0; i < src->depth; i++) {
    int64_t dz = static_cast<int64_t>(z) + i;
    if (dz < dst->clip_z0 || dz >= dst->clip_z1) continue;
    copy(src->slices[i], dst->slices[dz], 0, 0, x, y, src->width, src->height);
  }
}

}  // namespace

void tarq_clear_voxmap(tarq_voxmap* v) {
  if (v)
    memset(v->voxels, 0,
           static_cast<size_t>(v->width) * static_cast<size_t>(v->height) * static_cast<size_t>(v->depth));
}

void tarq_putvoxel(tarq_voxmap* v, int32_t x, int32_t y, int32_t z, int32_t value) {
  if (!v || !inside_clip(v, x, y, z)) return;
  v->slices[z]->rows[y][x] = static_cast<uint8_t>(value);
}

int32_t tarq_getvoxel(const tarq_voxmap* v, int32_t x, int32_t y, int32_t z) {
  if (!v || x < 0 || y < 0 || z < 0 || x >= v->width || y >= v->height || z >= v->depth) return 0;
  return v->slices[z]->rows[y][x];
}

void tarq_set_voxmap_clip(tarq_voxmap* v, int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1) {
  if (!v) return;
  v->clip_x0 = x0 < 0 ? 0 : x0;
  v->clip_y0 = y0 < 0 ? 0 : y0;
  v->clip_z0 = z0 < 0 ? 0 : z0;
  v->clip_x1 = x1 > v->width ? v->width : x1;
  v->clip_y1 = y1 > v->height ? v->height : y1;
  v->clip_z1 = z1 > v->depth ? v->depth : z1;
  for (int32_t z = 0; z < v->depth; z++) {
    if (z >= v->clip_z0 && z < v->clip_z1) tarq_set_clip(v->slices[z], v->clip_x0, v->clip_y0, v->clip_x1, v->clip_y1);
    else tarq_set_clip(v->slices[z], 0, 0, 0, 0);
  }
}

void tarq_boxfill(tarq_voxmap* v, int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1,
                  int32_t value) {
  if (!v) return;
  int32_t lo = z0 < z1 ? z0 : z1, hi = z0 < z1 ? z1 : z0;
  if (lo < v->clip_z0) lo = v->clip_z0;
  if (hi > v->clip_z1 - 1) hi = v->clip_z1 - 1;
  for (int32_t z = lo; z <= hi; z++) tarq_rectfill(v->slices[z], x0, y0, x1, y1, static_cast<uint32_t>(value));
}

namespace {

int64_t floor_div(int64_t a, int64_t b) {  // b > 0
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Narrows the step range [lo, hi) to the steps i at which start + i * step,
// taken >> 16, lies in [c0, c1).
void clip_steps(int64_t start, int64_t step, int32_t c0, int32_t c1, int64_t* lo, int64_t* hi) {
  int64_t low = static_cast<int64_t>(c0) * 65536, high = static_cast<int64_t>(c1) * 65536;
  if (step == 0) {
    if (start < low || start >= high) *hi = *lo;
    return;
  }
  int64_t first, end;
  if (step > 0) {
    first = floor_div(low - start + step - 1, step);
    end = floor_div(high - start + step - 1, step);
  } else {
    first = floor_div(start - high, -step) + 1;
    end = floor_div(start - low, -step) + 1;
  }
  if (first > *lo) *lo = first;
  if (end < *hi) *hi = end;
}

}  // namespace

void tarq_line3d(tarq_voxmap* v, int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1,
                 int32_t value) {
  if (!v) return;
  // 16.16 stepping in 64 bits: no coordinate pair can overflow.
  int64_t dx = (static_cast<int64_t>(x1) - x0) * 65536, dy = (static_cast<int64_t>(y1) - y0) * 65536,
          dz = (static_cast<int64_t>(z1) - z0) * 65536;
  auto mag = [](int64_t a) { return a < 0 ? -a : a; };
  int64_t n = mag(dx);
  if (mag(dy) > n) n = mag(dy);
  if (mag(dz) > n) n = mag(dz);
  n >>= 16;
  if (n <= 0) n = 1;
  int64_t sx = dx / n, sy = dy / n, sz = dz / n;
  int64_t x = static_cast<int64_t>(x0) * 65536, y = static_cast<int64_t>(y0) * 65536,
          z = static_cast<int64_t>(z0) * 65536;
  // Only the steps that land inside the clip box are walked.
  int64_t lo = 0, hi = n;
  clip_steps(x, sx, v->clip_x0, v->clip_x1, &lo, &hi);
  clip_steps(y, sy, v->clip_y0, v->clip_y1, &lo, &hi);
  clip_steps(z, sz, v->clip_z0, v->clip_z1, &lo, &hi);
  for (int64_t i = lo; i < hi; i++) {
    int64_t px = (x + i * sx) >> 16, py = (y + i * sy) >> 16, pz = (z + i * sz) >> 16;
    if (px >= v->clip_x0 && px < v->clip_x1 && py >= v->clip_y0 && py < v->clip_y1 && pz >= v->clip_z0 &&
        pz < v->clip_z1)
      v->slices[pz]->rows[py][px] = static_cast<uint8_t>(value);
  }
}

void tarq_box(tarq_voxmap* v, int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1, int32_t value) {
  for (int32_t z : {z0, z1}) {
    tarq_line3d(v, x0, y0, z, x1, y0, z, value);
    tarq_line3d(v, x1, y0, z, x1, y1, z, value);
    tarq_line3d(v, x1, y1, z, x0, y1, z, value);
    tarq_line3d(v, x0, y1, z, x0, y0, z, value);
  }
  tarq_line3d(v, x0, y0, z0, x0, y0, z1, value);
  tarq_line3d(v, x1, y0, z0, x1, y0, z1, value);
  tarq_line3d(v, x1, y1, z0, x1, y1, z1, value);
  tarq_line3d(v, x0, y1, z0, x0, y1, z1, value);
}

void tarq_draw_voxmap(tarq_voxmap* src, tarq_voxmap* dst, int32_t x, int32_t y, int32_t z) {
  copy_voxmap(src, dst, x, y, z, tarq_draw_sprite);
}

void tarq_blit_voxmap(tarq_voxmap* src, tarq_voxmap* dst, int32_t x, int32_t y, int32_t z) {
  copy_voxmap(src, dst, x, y, z, tarq_blit);
}

int32_t tarq_draw_voxmap_matrix(tarq_voxmap*, int32_t, int32_t, int32_t, int32_t, int32_t scale) {
  if (scale == 0) return 0;
  return static_cast<int32_t>(65536 / static_cast<int64_t>(scale));
}
