#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/data/model_edit.h"
#include "engine/tarq.h"

namespace {

// A model with n vertices along x and the given polygons; "bones" are added first.
struct model_guard {
  tarq_model* m = tarq_create_model();
  ~model_guard() { tarq_destroy_model(m); }
};

}  // namespace

TEST(EditorModel, BonesStayInFrontOfPolygons) {
  model_guard g;
  tarq_model* m = g.m;
  for (int i = 0; i < 6; i++) cmodel_new_vertex(m, (float)i, 0, 0);
  for (int b = 0; b < 3; b++) {
    int32_t i = cmodel_new_polygon(m, 2);
    EXPECT_EQ(i, b);
    m->polygons[i].index[0] = b;
    m->polygons[i].index[1] = b + 1;
  }
  EXPECT_EQ(cmodel_new_triangle(m, 0, 1, 2), 3);
  EXPECT_EQ(cmodel_new_quad(m, 1, 2, 3, 4), 4);
  // A fourth bone takes index 3; the triangle moves to the end.
  EXPECT_EQ(cmodel_new_polygon(m, 2), 3);
  EXPECT_EQ(m->bone_count, 4);
  EXPECT_EQ(m->polygon_count, 6);
  for (int b = 0; b < 4; b++) EXPECT_EQ(m->polygons[b].count, 2) << b;
  EXPECT_EQ(m->polygons[4].count, 4);
  EXPECT_EQ(m->polygons[5].count, 3);
  EXPECT_EQ(m->polygons[5].index, m->polygons[5].inline_index);
  EXPECT_EQ(m->polygons[5].index[2], 2);
  ASSERT_NE(m->bone_vertices, nullptr);  // a model with bones has bone vertices
  EXPECT_EQ(m->bone_vertices[5].weight, 1.0f);
}

TEST(EditorModel, DeletePolygonAndBone) {
  model_guard g;
  tarq_model* m = g.m;
  cmodel_new_polygon(m, 2);
  cmodel_new_polygon(m, 2);
  m->polygons[1].index[0] = 11;
  int32_t big = cmodel_new_polygon(m, 7);  // external arrays
  m->polygons[big].index[6] = 66;
  cmodel_new_triangle(m, 7, 8, 9);
  int32_t before = tarq_loop.tarq_items_created;
  // Deleting bone 0: bone 1 takes its place, then the last polygon fills bone 1's old slot.
  cmodel_delete_polygon(m, 0);
  EXPECT_EQ(m->bone_count, 1);
  EXPECT_EQ(m->polygon_count, 3);
  EXPECT_EQ(m->polygons[0].index[0], 11);
  EXPECT_EQ(m->polygons[1].count, 3);
  EXPECT_EQ(m->polygons[1].index, m->polygons[1].inline_index);
  EXPECT_EQ(m->polygons[1].index[0], 7);
  EXPECT_EQ(m->polygons[2].index[6], 66);
  cmodel_delete_polygon(m, 1);  // an ordinary polygon: the last one moves in
  EXPECT_EQ(m->polygon_count, 2);
  EXPECT_EQ(m->polygons[1].index[6], 66);
  cmodel_delete_polygon(m, 9);  // outside: nothing
  EXPECT_EQ(m->polygon_count, 2);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

TEST(EditorModel, DeleteVertexRenumbersReferences) {
  model_guard g;
  tarq_model* m = g.m;
  for (int i = 0; i < 5; i++) cmodel_new_vertex(m, (float)i, (float)(10 * i), 0);
  cmodel_new_quad(m, 0, 2, 4, 1);
  cmodel_delete_vertex(m, 2);
  EXPECT_EQ(m->vertex_count, 4);
  EXPECT_EQ(m->vertices[2].y, 40.0f);
  const int32_t want[4] = {0, -1, 2, 1};
  for (int k = 0; k < 4; k++) EXPECT_EQ(m->polygons[0].index[k], want[k]) << k;
}

TEST(EditorModel, ClearKeepsStorage) {
  model_guard g;
  tarq_model* m = g.m;
  cmodel_new_vertex(m, 1, 2, 3);
  cmodel_new_polygon(m, 9);
  cmodel_new_polygon(m, 2);
  int32_t capacity = m->polygon_capacity;
  cmodel_clear(m);
  EXPECT_EQ(m->polygon_count + m->vertex_count + m->bone_count, 0);
  EXPECT_EQ(m->polygon_capacity, capacity);
  EXPECT_EQ(cmodel_new_vertex(m, 4, 5, 6), 0);
  cmodel_clear(nullptr);
}

TEST(EditorModel, PolygonCopyDeepAndShallow) {
  int32_t before = tarq_loop.tarq_items_created;
  tarq_poly* small = tarq_create_poly(3);
  tarq_poly* large = tarq_create_poly(5);
  EXPECT_EQ(tarq_loop.tarq_items_created, before + 2);
  EXPECT_EQ(large->capacity, 6);
  small->index[1] = 4;
  large->index[4] = 9;
  tarq_poly copy;
  cpoly_copy(&copy, small, 0);
  EXPECT_EQ(copy.index, copy.inline_index);
  EXPECT_EQ(copy.index[1], 4);
  cpoly_copy(&copy, large, 1);
  EXPECT_EQ(copy.index, large->index);  // shares the arrays
  tarq_poly* deep = tarq_create_poly(0);
  tarq_destroy_cpoly(nullptr);
  cpoly_copy(deep, large, 0);
  EXPECT_NE(deep->index, large->index);
  large->index[4] = 1;
  EXPECT_EQ(deep->index[4], 9);
  tarq_destroy_cpoly(deep);
  tarq_destroy_cpoly(large);
  tarq_destroy_cpoly(small);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

TEST(EditorModel, VertexNormals) {
  model_guard g;
  tarq_model* m = g.m;
  cmodel_new_vertex(m, 0, 0, 0);
  cmodel_new_vertex(m, 1, 0, 0);
  cmodel_new_vertex(m, 1, 0, 1);
  cmodel_new_vertex(m, 5, 5, 5);  // on no polygon
  cmodel_new_triangle(m, 0, 1, 2);
  cmodel_calculate_vertex_normals(m);
  tarq_vector face = m->polygons[0].normal;
  EXPECT_NEAR(std::fabs(face.y), 1.0f, 1e-5);
  for (int v = 0; v < 3; v++) EXPECT_NEAR(m->vertex_normals[v].y, face.y, 1e-5) << v;
  EXPECT_EQ(m->vertex_normals[3].y, 1.0f);  // no face: straight up
}

TEST(EditorModel, PosedVerticesFollowTheBones) {
  model_guard g;
  tarq_model* m = g.m;
  cmodel_new_vertex(m, 0, 0, 0);
  cmodel_new_vertex(m, 1, 0, 0);
  cmodel_new_vertex(m, 1, 0, 0.5f);
  int32_t bone = cmodel_new_polygon(m, 2);
  m->polygons[bone].index[0] = 0;
  m->polygons[bone].index[1] = 1;
  cmodel_decorate(m);
  EXPECT_EQ(cmodel_get_bone_dat_index(m, 3), 12);
  float pose[8];
  cmodel_calculate_bone_vertices(m, pose);
  tarq_vector rest[3];
  cmodel_evaluate_bone_vertices(m, rest);
  for (int i = 0; i < 3; i++) {
    EXPECT_NEAR(rest[i].x, m->vertices[i].x, 1e-4);
    EXPECT_NEAR(rest[i].z, m->vertices[i].z, 1e-4);
  }
  // Double the bone's length and move the anchor up by 2: every vertex scales along x and rises.
  pose[3] *= 2;
  pose[5] += 2;
  cmodel_calculate_matrices(m, pose);
  tarq_vector posed[3];
  cmodel_evaluate_bone_vertices(m, posed);
  EXPECT_NEAR(posed[1].x, 2.0f, 1e-4);
  EXPECT_NEAR(posed[1].y, 2.0f, 1e-4);
  EXPECT_NEAR(posed[2].z, 1.0f, 1e-4);
}
