#pragma once
// Building and changing models by hand: clearing, new vertices, polygons and
// bones, deletion, stand-alone polygons, vertex normals and posed vertices.
#include <cstdint>

#include "engine/data/model.h"

void cmodel_clear(tarq_model* model);
int32_t cmodel_new_vertex(tarq_model* model, float x, float y, float z);
// A polygon of n zeroed vertex slots; n = 2 adds a bone, kept in front.
int32_t cmodel_new_polygon(tarq_model* model, int32_t n);
int32_t cmodel_new_quad(tarq_model* model, int32_t a, int32_t b, int32_t c, int32_t d);
int32_t cmodel_new_triangle(tarq_model* model, int32_t a, int32_t b, int32_t c);
// Order is not kept: the last bone and then the last polygon fill the gap.
void cmodel_delete_polygon(tarq_model* model, int32_t index);
// The last vertex takes the deleted one's index; references to it become -1.
void cmodel_delete_vertex(tarq_model* model, int32_t index);

// Copies a polygon record; the copy gets its own arrays unless `shallow`.
void cpoly_copy(tarq_poly* dst, const tarq_poly* src, int shallow);
tarq_poly* tarq_create_poly(int32_t n);
void tarq_destroy_cpoly(tarq_poly* poly);

void cmodel_calculate_vertex_normals(tarq_model* model);
// Posed vertex positions from the bone matrices, one per vertex into `out`.
void cmodel_evaluate_bone_vertices(const tarq_model* model, tarq_vector* out);
// The float index of a bone's entry in a pose.
int32_t cmodel_get_bone_dat_index(const tarq_model* model, int32_t bone);
