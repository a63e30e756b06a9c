#pragma once
// 3-D models (vertices, polygons, an optional skeleton of bones with
// per-vertex bone weights) and materials, as pod items.
#include <cstdint>

#include "engine/data/math.h"

struct tarq_poly {
  int32_t inline_index[4];
  float inline_uv[4][2];
  int32_t* index;    // inline_index, or an allocated array
  float* uv;         // inline_uv, or an allocated array of (u, v) pairs
  int16_t count;     // a bone has 2: its start and end vertex
  int16_t capacity;  // 4 while inline
  tarq_vector normal;
  int16_t material;
  int16_t flags;
};

struct tarq_bone_vertex {
  int16_t bone[2];
  float weight;          // of the first bone; the second gets 1 - weight
  tarq_vector local[2];  // the vertex in each bone's frame
};

struct tarq_model {
  tarq_vector* vertices;
  int32_t vertex_count, vertex_capacity;
  tarq_poly* polygons;  // the first bone_count entries are the bones
  int32_t polygon_count, polygon_capacity;
  int32_t bone_count;
  tarq_bone_vertex* bone_vertices;  // one per vertex, only with bones
  tarq_vector* vertex_normals;
  int32_t* bone_parents;  // parent bone or -1
  int32_t* bone_order;    // parents before children
  int32_t pose_size;      // bytes: 16 * (bones + 1)
  tarq_matrix* bone_matrices;
};

constexpr int TARQ_MATERIAL_WORDS = 24;

struct tarq_material {
  int32_t word[TARQ_MATERIAL_WORDS];  // words 8 and 9: two 0xAARRGGBB colours
};

tarq_model* tarq_create_model();
void tarq_destroy_model(tarq_model* model);
int cmodel_max_vertices(tarq_model* model, int32_t n);
int cmodel_max_polygons(tarq_model* model, int32_t n);
int cpoly_set_num_vertices(tarq_poly* poly, int32_t n);
void cmodel_calculate_normals(tarq_model* model);
void cmodel_calculate_bone_parents(tarq_model* model);
void cmodel_calculate_bone_vertices(tarq_model* model, float* pose_out);
void cmodel_calculate_matrices(tarq_model* model, const float* pose);
void cmodel_decorate(tarq_model* model);

tarq_material* tarq_create_material();
void tarq_destroy_material(tarq_material* material);
