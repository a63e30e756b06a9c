#pragma once
// Voxel access, the clip box and drawing on voxmaps. Nothing in the player
// reads or draws a voxel.
#include <cstdint>

#include "engine/data/voxmap.h"

void tarq_clear_voxmap(tarq_voxmap* v);
void tarq_putvoxel(tarq_voxmap* v, int32_t x, int32_t y, int32_t z, int32_t value);
int32_t tarq_getvoxel(const tarq_voxmap* v, int32_t x, int32_t y, int32_t z);
void tarq_set_voxmap_clip(tarq_voxmap* v, int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1);
void tarq_boxfill(tarq_voxmap* v, int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1,
                  int32_t value);
void tarq_line3d(tarq_voxmap* v, int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1, int32_t value);
void tarq_box(tarq_voxmap* v, int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1, int32_t value);
void tarq_draw_voxmap(tarq_voxmap* src, tarq_voxmap* dst, int32_t x, int32_t y, int32_t z);
void tarq_blit_voxmap(tarq_voxmap* src, tarq_voxmap* dst, int32_t x, int32_t y, int32_t z);
int32_t tarq_draw_voxmap_matrix(tarq_voxmap* v, int32_t a, int32_t b, int32_t c, int32_t d, int32_t scale);
