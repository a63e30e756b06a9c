#pragma once
// Voxmaps: 3-D blocks of 8-bit voxels held as a stack of 8-bit bitmap
// slices (one per z) over one voxel block, so that every bitmap operation
// works on a slice.
#include <cstdint>

struct tarq_bitmap;

struct tarq_voxmap {
  int32_t width, height, depth;
  uint8_t* voxels;       // slice z at z * width * height
  tarq_bitmap** slices;  // depth slices, in the record's own allocation
  int32_t tag;           // kept for pod files
  int32_t clip_x0, clip_x1;
  int32_t clip_y0, clip_y1;
  int32_t clip_z0, clip_z1;
};

tarq_voxmap* tarq_create_voxmap(int32_t width, int32_t height, int32_t depth);
int tarq_destroy_voxmap(tarq_voxmap* v);
void tarq_clear_voxmap(tarq_voxmap* v);
void tarq_putvoxel(tarq_voxmap* v, int32_t x, int32_t y, int32_t z, int32_t value);
int32_t tarq_getvoxel(const tarq_voxmap* v, int32_t x, int32_t y, int32_t z);
void tarq_set_voxmap_clip(tarq_voxmap* v, int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1);
void tarq_reset_voxmap_clip(tarq_voxmap* v);
void tarq_boxfill(tarq_voxmap* v, int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1,
                  int32_t value);
void tarq_line3d(tarq_voxmap* v, int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1, int32_t value);
void tarq_box(tarq_voxmap* v, int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1, int32_t value);
void tarq_draw_voxmap(tarq_voxmap* src, tarq_voxmap* dst, int32_t x, int32_t y, int32_t z);
void tarq_blit_voxmap(tarq_voxmap* src, tarq_voxmap* dst, int32_t x, int32_t y, int32_t z);
int32_t tarq_draw_voxmap_matrix(tarq_voxmap* v, int32_t a, int32_t b, int32_t c, int32_t d, int32_t scale);
