#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/data/anim.h"
#include "engine/data/matrix.h"
#include "engine/data/model.h"
#include "engine/tarq.h"

namespace {

// A model with the given vertices and two-corner bones.
tarq_model* skeleton(const std::vector<tarq_vector>& verts, const std::vector<std::pair<int, int>>& bones) {
  tarq_model* m = tarq_create_model();
  m->bone_count = (int32_t)bones.size();
  cmodel_max_vertices(m, (int32_t)verts.size());
  cmodel_max_polygons(m, (int32_t)bones.size());
  for (size_t i = 0; i < verts.size(); i++) m->vertices[i] = verts[i];
  m->vertex_count = (int32_t)verts.size();
  for (size_t b = 0; b < bones.size(); b++) {
    cpoly_set_num_vertices(&m->polygons[b], 2);
    m->polygons[b].index[0] = bones[b].first;
    m->polygons[b].index[1] = bones[b].second;
  }
  m->polygon_count = (int32_t)bones.size();
  return m;
}

}  // namespace

TEST(EngineModel, PolygonStorage) {
  int32_t before = tarq_loop.tarq_items_created;
  tarq_model* m = tarq_create_model();
  EXPECT_EQ(tarq_loop.tarq_items_created, before + 1);
  cmodel_max_polygons(m, 1);
  tarq_poly* p = &m->polygons[0];
  m->polygon_count = 1;
  EXPECT_EQ(p->capacity, 4);
  EXPECT_EQ(p->normal.z, 1.0f);
  cpoly_set_num_vertices(p, 3);
  EXPECT_EQ(p->index, p->inline_index);
  p->index[2] = 7;
  cpoly_set_num_vertices(p, 5);
  EXPECT_EQ(p->capacity, 6);
  EXPECT_NE(p->index, p->inline_index);
  EXPECT_EQ(p->index[2], 7);  // carried over from the inline storage
  EXPECT_EQ(p->index[4], 0);
  cpoly_set_num_vertices(p, 3);
  EXPECT_NE(p->index, p->inline_index);  // shrinking keeps the external arrays
  // Moving the polygon storage keeps external arrays and re-points inline ones.
  cmodel_max_polygons(m, 2);
  m->polygon_count = 2;
  cpoly_set_num_vertices(&m->polygons[1], 2);
  cmodel_max_polygons(m, 40);
  EXPECT_NE(m->polygons[0].index, m->polygons[0].inline_index);
  EXPECT_EQ(m->polygons[0].index[2], 7);
  EXPECT_EQ(m->polygons[1].index, m->polygons[1].inline_index);
  tarq_destroy_model(m);
  tarq_destroy_model(nullptr);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);

  tarq_material* mat = tarq_create_material();
  EXPECT_EQ((uint32_t)mat->word[8], 0xff336699u);
  EXPECT_EQ((uint32_t)mat->word[9], 0xff606060u);
  tarq_destroy_material(mat);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

TEST(EngineModel, NormalsBonesAndRestPose) {
  // Bones given child-first: bone 0 runs 1 -> 2 and hangs from bone 1 (0 -> 1).
  tarq_model* m = skeleton({{0, 0, 0}, {0, -1, 0}, {1, -1, 0}}, {{1, 2}, {0, 1}});
  cmodel_decorate(m);
  EXPECT_EQ(m->bone_parents[0], 1);
  EXPECT_EQ(m->bone_parents[1], -1);
  EXPECT_EQ(m->bone_order[0], 1);
  EXPECT_EQ(m->bone_order[1], 0);
  EXPECT_EQ(m->pose_size, 48);
  EXPECT_EQ(m->polygons[0].normal.y, 1.0f);  // fewer than 3 corners

  float pose[12];
  cmodel_calculate_bone_vertices(m, pose);
  // Bone 1 points straight down: yaw 0, pitch -pi/2, length 1.
  EXPECT_NEAR(pose[4], 0.0f, 1e-6);
  EXPECT_NEAR(pose[5], -M_PI / 2, 1e-6);
  EXPECT_EQ(pose[7], 1.0f);
  int32_t anchor;
  memcpy(&anchor, &pose[11], 4);
  EXPECT_EQ(anchor, 1);  // the root bone anchors the skeleton at its start

  // The rest pose puts each bone's matrix on the bone: its first column runs
  // from start to end, and vertices map back to themselves.
  cmodel_calculate_matrices(m, pose);
  const tarq_matrix& b0 = m->bone_matrices[0];
  EXPECT_NEAR(b0.t[0], 0.0f, 1e-5);
  EXPECT_NEAR(b0.t[1], -1.0f, 1e-5);
  EXPECT_NEAR(b0.m[0], 1.0f, 1e-5);
  EXPECT_NEAR(b0.m[3], 0.0f, 1e-5);
  for (int v = 0; v < 3; v++) {
    tarq_vector local = m->bone_vertices[v].local[0], back;
    tarq_apply_matrix(&m->bone_matrices[m->bone_vertices[v].bone[0]], &local, &back);
    EXPECT_NEAR(back.x, m->vertices[v].x, 1e-5);
    EXPECT_NEAR(back.y, m->vertices[v].y, 1e-5);
  }
  tarq_destroy_model(m);

  // A triangle's face normal.
  tarq_model* t = tarq_create_model();
  cmodel_max_vertices(t, 3);
  cmodel_max_polygons(t, 1);
  tarq_vector tri[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  memcpy(t->vertices, tri, sizeof tri);
  t->vertex_count = 3;
  cpoly_set_num_vertices(&t->polygons[0], 3);
  for (int i = 0; i < 3; i++) t->polygons[0].index[i] = i;
  t->polygon_count = 1;
  cmodel_calculate_normals(t);
  EXPECT_NEAR(std::fabs(t->polygons[0].normal.z), 1.0f, 1e-6);
  tarq_destroy_model(t);
}

TEST(EngineModel, BoneLoopsStayOutOfTheOrder) {
  tarq_model* m = skeleton({{0, 0, 0}, {1, 0, 0}}, {{0, 1}, {1, 0}});
  cmodel_decorate(m);
  EXPECT_EQ(m->bone_order[0], -1);
  tarq_destroy_model(m);
}

TEST(EngineAnim, ActorsAndChannels) {
  int32_t before = tarq_loop.tarq_items_created;
  tarq_anim* a = tarq_create_anim();
  EXPECT_EQ(canim_new_actor(a), 0);
  EXPECT_EQ(canim_new_actor(a), 1);
  EXPECT_EQ(canim_new_actor(a), 2);
  EXPECT_STREQ(a->actors[2].name, "actor2");
  EXPECT_EQ(a->actors[2].word[3], -1);
  EXPECT_EQ(a->actors[2].channel[0].value_size, 12);
  EXPECT_EQ(a->actors[2].command.value_size, 24);
  ASSERT_TRUE(canim_set_bone_count(&a->actors[1], 3));
  EXPECT_EQ(a->actors[1].bones[2]->value_size, 16);
  ASSERT_TRUE(canim_channel_set_num_states(a->actors[1].bones[2], 5));
  EXPECT_EQ(a->actors[1].bones[2]->capacity, 5);
  ASSERT_TRUE(canim_channel_set_num_states(a->actors[1].bones[2], 2));
  EXPECT_EQ(a->actors[1].bones[2]->capacity, 5);
  EXPECT_EQ(a->actors[1].bones[2]->count, 2);
  tarq_destroy_anim(a);
  tarq_destroy_anim(nullptr);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}
