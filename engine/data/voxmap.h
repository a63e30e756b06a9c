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
void tarq_reset_voxmap_clip(tarq_voxmap* v);
