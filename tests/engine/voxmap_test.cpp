#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

#include "engine/data/gfx.h"
#include "engine/data/voxmap.h"
#include "engine/data/voxmap_draw.h"
#include "engine/tarq.h"

TEST(EngineVoxmap, CreationSlicesAndVoxels) {
  int32_t before = tarq_loop.tarq_items_created;
  tarq_voxmap* v = tarq_create_voxmap(4, 3, 5);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(tarq_loop.tarq_items_created, before + 1);
  tarq_putvoxel(v, 1, 2, 3, 9);
  EXPECT_EQ(v->voxels[3 * 12 + 2 * 4 + 1], 9);
  EXPECT_EQ(tarq_getpixel(v->slices[3], 1, 2), 9u);  // a slice shares the voxels
  EXPECT_EQ(tarq_getvoxel(v, 1, 2, 3), 9);
  for (auto p : {std::array<int, 3>{-1, 0, 0}, {4, 0, 0}, {0, 3, 0}, {0, 0, 5}, {0, 0, -1}}) {
    tarq_putvoxel(v, p[0], p[1], p[2], 1);
    EXPECT_EQ(tarq_getvoxel(v, p[0], p[1], p[2]), 0);
  }
  tarq_clear_voxmap(v);
  EXPECT_EQ(tarq_getvoxel(v, 1, 2, 3), 0);
  EXPECT_EQ(tarq_getvoxel(nullptr, 0, 0, 0), 0);
  tarq_putvoxel(nullptr, 0, 0, 0, 1);
  tarq_destroy_voxmap(v);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
  EXPECT_EQ(tarq_create_voxmap(0, 1, 1), nullptr);
  EXPECT_EQ(tarq_create_voxmap(1, 1, -1), nullptr);
  EXPECT_EQ(tarq_create_voxmap(0x10000, 0x10000, 0x10000), nullptr);
  EXPECT_EQ(tarq_destroy_voxmap(nullptr), 0);
}

TEST(EngineVoxmap, ClipBoxAndBoxfill) {
  tarq_voxmap* v = tarq_create_voxmap(4, 4, 6);
  tarq_set_voxmap_clip(v, -3, 1, 2, 99, 3, 4);
  EXPECT_EQ(v->clip_x0, 0);
  EXPECT_EQ(v->clip_x1, 4);
  tarq_boxfill(v, 0, 0, 10, 3, 3, -10, 7);
  for (int z = 0; z < 6; z++)
    for (int y = 0; y < 4; y++)
      for (int x = 0; x < 4; x++) {
        bool inside = z >= 2 && z < 4 && y >= 1 && y < 3;
        EXPECT_EQ(tarq_getvoxel(v, x, y, z), inside ? 7 : 0) << x << y << z;
      }
  tarq_putvoxel(v, 1, 1, 5, 3);  // outside the clip box: nothing
  EXPECT_EQ(tarq_getvoxel(v, 1, 1, 5), 0);
  EXPECT_EQ(v->slices[5]->clip_x1, 0);  // slices outside the z range get an empty clip
  tarq_reset_voxmap_clip(v);
  tarq_putvoxel(v, 1, 1, 5, 3);
  EXPECT_EQ(tarq_getvoxel(v, 1, 1, 5), 3);
  tarq_boxfill(nullptr, 0, 0, 0, 1, 1, 1, 1);
  tarq_destroy_voxmap(v);
}

TEST(EngineVoxmap, LinesAndBoxes) {
  tarq_voxmap* v = tarq_create_voxmap(8, 8, 8);
  tarq_line3d(v, 0, 0, 0, 3, 0, 0, 5);
  for (int x = 0; x < 8; x++) EXPECT_EQ(tarq_getvoxel(v, x, 0, 0), x < 3 ? 5 : 0);
  tarq_clear_voxmap(v);
  tarq_line3d(v, 0, 0, 0, 6, 6, 6, 2);
  for (int i = 0; i < 6; i++) EXPECT_EQ(tarq_getvoxel(v, i, i, i), 2);
  EXPECT_EQ(tarq_getvoxel(v, 6, 6, 6), 0);
  tarq_clear_voxmap(v);
  tarq_line3d(v, -100, 3, 3, 100, 3, 3, 1);  // clipped point by point
  for (int x = 0; x < 8; x++) EXPECT_EQ(tarq_getvoxel(v, x, 3, 3), 1);
  tarq_line3d(v, INT32_MIN, INT32_MIN, 0, INT32_MAX, INT32_MIN, 0, 1);  // no overflow
  tarq_clear_voxmap(v);
  tarq_box(v, 1, 1, 1, 4, 4, 4, 9);
  EXPECT_EQ(tarq_getvoxel(v, 1, 1, 1), 9);
  EXPECT_EQ(tarq_getvoxel(v, 3, 1, 1), 9);
  EXPECT_EQ(tarq_getvoxel(v, 1, 1, 3), 9);
  EXPECT_EQ(tarq_getvoxel(v, 2, 2, 2), 0);
  tarq_line3d(nullptr, 0, 0, 0, 1, 1, 1, 1);
  EXPECT_EQ(tarq_draw_voxmap_matrix(v, 1, 2, 3, 4, 2), 32768);
  EXPECT_EQ(tarq_draw_voxmap_matrix(v, 1, 2, 3, 4, 0), 0);
  tarq_destroy_voxmap(v);
}

TEST(EngineVoxmap, DrawingOneVoxmapIntoAnother) {
  tarq_voxmap* s = tarq_create_voxmap(2, 2, 3);
  tarq_voxmap* d = tarq_create_voxmap(4, 4, 4);
  for (int z = 0; z < 3; z++) tarq_putvoxel(s, 0, 0, z, 10 + z);
  tarq_draw_voxmap(s, d, 1, 1, -1);
  EXPECT_EQ(tarq_getvoxel(d, 1, 1, 0), 11);  // slice 0 of the source is skipped
  EXPECT_EQ(tarq_getvoxel(d, 1, 1, 1), 12);
  EXPECT_EQ(tarq_getvoxel(d, 2, 2, 0), 0);  // index 0 is transparent
  tarq_clear_voxmap(d);
  for (int z = 0; z < 4; z++) tarq_boxfill(d, 0, 0, z, 3, 3, z, 5);
  tarq_draw_voxmap(s, d, 0, 0, 2);
  EXPECT_EQ(tarq_getvoxel(d, 1, 1, 2), 5);  // transparent voxels keep the destination
  tarq_blit_voxmap(s, d, 0, 0, 2);
  EXPECT_EQ(tarq_getvoxel(d, 1, 1, 2), 0);  // an opaque copy overwrites
  EXPECT_EQ(tarq_getvoxel(d, 0, 0, 3), 11);
  tarq_draw_voxmap(s, d, 0, 0, -3);  // wholly outside: nothing
  tarq_draw_voxmap(s, d, 0, 0, 4);
  tarq_draw_voxmap(nullptr, d, 0, 0, 0);
  tarq_destroy_voxmap(s);
  tarq_destroy_voxmap(d);
}

// Walking only the steps inside the clip box plots exactly what plotting
// every step with a clip test does.
TEST(EngineVoxmap, ClippedLinesMatchAPointByPointWalk) {
  tarq_voxmap* v = tarq_create_voxmap(6, 5, 4);
  tarq_set_voxmap_clip(v, 1, 0, 1, 5, 4, 3);
  unsigned seed = 3;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u, (int)((seed >> 8) % 31) - 12; };
  for (int round = 0; round < 3000; round++) {
    int a[6];
    for (int& c : a) c = next();
    tarq_clear_voxmap(v);
    tarq_line3d(v, a[0], a[1], a[2], a[3], a[4], a[5], 1);
    int64_t dx = (int64_t)(a[3] - a[0]) * 65536, dy = (int64_t)(a[4] - a[1]) * 65536,
            dz = (int64_t)(a[5] - a[2]) * 65536;
    int64_t n = std::max({std::llabs(dx), std::llabs(dy), std::llabs(dz)}) >> 16;
    if (n <= 0) n = 1;
    std::array<uint8_t, 120> want{};
    for (int64_t i = 0; i < n; i++) {
      int64_t x = ((int64_t)a[0] * 65536 + i * (dx / n)) >> 16;
      int64_t y = ((int64_t)a[1] * 65536 + i * (dy / n)) >> 16;
      int64_t z = ((int64_t)a[2] * 65536 + i * (dz / n)) >> 16;
      if (x >= 1 && x < 5 && y >= 0 && y < 4 && z >= 1 && z < 3) want[z * 30 + y * 6 + x] = 1;
    }
    for (int i = 0; i < 120; i++) ASSERT_EQ(v->voxels[i], want[i]) << round;
  }
  tarq_destroy_voxmap(v);
}
