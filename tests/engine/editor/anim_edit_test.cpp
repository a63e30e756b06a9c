#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/data/anim_edit.h"

namespace {

// A vector channel with the given (time, x) keys; y and z are 2x and 3x.
tarq_anim_channel* keys(const std::vector<std::pair<int, float>>& k, int32_t size = 12) {
  tarq_anim_channel* c = tarq_create_anim_channel(size);
  for (auto [t, x] : k) {
    int32_t i = canim_channel_insert_state(c, t);
    float v[4] = {x, 2 * x, 3 * x, 4 * x};
    memcpy(c->values + i * size, v, (size_t)size < sizeof v ? (size_t)size : sizeof v);
  }
  return c;
}

float x_at(const tarq_anim_channel* c, int t, bool smooth = false) {
  float out[3] = {-99, -99, -99};
  if (smooth) canim_channel_evaluate_nonlinear(c, t, out);
  else canim_channel_evaluate(c, t, out);
  return out[0];
}

}  // namespace

TEST(EditorAnim, LinearValueClampsOutsideTheKeys) {
  tarq_anim_channel* c = keys({{0, 0}, {10, 10}});
  const struct {
    int t;
    float x;
  } cases[] = {{5, 5}, {-3, 0}, {20, 10}, {10, 10}, {0, 0}, {7, 7}};
  for (auto cs : cases) EXPECT_FLOAT_EQ(x_at(c, cs.t), cs.x) << cs.t;
  float out[3];
  canim_channel_evaluate(c, 5, out);
  EXPECT_FLOAT_EQ(out[2], 15.0f);
  tarq_destroy_anim_channel(c);
  tarq_anim_channel* empty = tarq_create_anim_channel(12);
  EXPECT_EQ(x_at(empty, 3), -99.0f);  // no states: output untouched
  EXPECT_EQ(x_at(empty, 3, true), -99.0f);
  tarq_destroy_anim_channel(empty);
}

TEST(EditorAnim, KeyIndexAndInsertionOrder) {
  tarq_anim_channel* c = keys({{0, 0}, {10, 1}, {20, 2}, {30, 3}});
  const struct { int t, index; } cases[] = {{-5, 0}, {0, 0}, {9, 0}, {10, 1}, {29, 2}, {30, 3}, {99, 3}};
  for (auto cs : cases) EXPECT_EQ(canim_channel_index_for_t(c, cs.t), cs.index) << cs.t;
  // A state at an existing key's time goes after it.
  EXPECT_EQ(canim_channel_insert_state(c, 10), 2);
  EXPECT_EQ(c->count, 5);
  EXPECT_EQ(c->times[2], 10);
  EXPECT_EQ(c->times[3], 20);
  canim_channel_delete(c, 2);
  canim_channel_delete(c, 7);  // outside: nothing
  EXPECT_EQ(c->count, 4);
  EXPECT_FLOAT_EQ(x_at(c, 20), 2.0f);
  canim_channel_clear(c);
  canim_channel_clear(nullptr);
  EXPECT_EQ(c->count, 0);
  tarq_destroy_anim_channel(c);
}

TEST(EditorAnim, SmoothValueHitsTheKeys) {
  tarq_anim_channel* c = keys({{0, 0}, {10, 4}, {20, 1}, {30, 9}});
  EXPECT_FLOAT_EQ(x_at(c, 10, true), 4.0f);
  EXPECT_FLOAT_EQ(x_at(c, 20, true), 1.0f);
  EXPECT_FLOAT_EQ(x_at(c, 40, true), 9.0f);
  EXPECT_FLOAT_EQ(x_at(c, -1, true), 0.0f);
  float mid = x_at(c, 15, true);
  EXPECT_GT(mid, 1.0f);
  EXPECT_LT(mid, 4.0f);
  tarq_destroy_anim_channel(c);
  tarq_anim_channel* flat = keys({{0, 5}, {10, 5}, {20, 5}});
  for (int t : {3, 10, 15, 19}) EXPECT_FLOAT_EQ(x_at(flat, t, true), 5.0f) << t;
  tarq_destroy_anim_channel(flat);
}

TEST(EditorAnim, CommandLookup) {
  tarq_anim_channel* c = tarq_create_anim_channel(24);
  const int32_t commands[][2] = {{0, 1}, {10, 2}, {20, 1}, {30, 2}};
  for (auto [t, command] : commands) {
    int32_t i = canim_channel_insert_state(c, t);
    memcpy(c->values + i * 24, &command, 4);
  }
  const struct {
    int t, command, index;
  } cases[] = {{-5, 2, 1}, {5, 2, 1}, {25, 2, 1}, {35, 2, 3}, {5, 1, 0}, {25, 1, 2}, {5, 7, -1}};
  for (auto cs : cases) EXPECT_EQ(canim_channel_index_for_command(c, cs.t, cs.command), cs.index) << cs.t;
  tarq_destroy_anim_channel(c);
}

TEST(EditorAnim, ActorPoseHoldsAndInterpolates) {
  tarq_anim* a = tarq_create_anim();
  canim_new_actor(a);
  tarq_actor* actor = &a->actors[0];
  ASSERT_TRUE(canim_set_bone_count(actor, 3));
  tarq_destroy_anim_channel(actor->bones[2]);
  actor->bones[2] = nullptr;  // a missing channel leaves its entry alone
  for (auto [t, x] : std::vector<std::pair<int, float>>{{0, 0}, {10, 10}}) {
    for (int b = 0; b < 2; b++) {
      int32_t i = canim_channel_insert_state(actor->bones[b], t);
      float v[4] = {x, x, x, x};
      memcpy(actor->bones[b]->values + 16 * i, v, 16);
    }
  }
  actor->bones[1]->interpolation[0] = 1;  // hold
  tarq_anim_channel* cmd = &actor->command;
  int32_t s = canim_channel_insert_state(cmd, 0);
  int32_t state[6] = {2, -1, 0, 0, 0, 0};
  float at[3] = {1, 2, 3};
  memcpy(state + 3, at, sizeof at);
  memcpy(cmd->values + 24 * s, state, sizeof state);
  float pose[16];
  for (float& f : pose) f = -7;
  cactor_evaluate_bones(actor, 5, pose);
  EXPECT_FLOAT_EQ(pose[0], 5.0f);
  EXPECT_FLOAT_EQ(pose[4], 0.0f);
  EXPECT_FLOAT_EQ(pose[8], -7.0f);
  EXPECT_FLOAT_EQ(pose[12], 1.0f);
  EXPECT_FLOAT_EQ(pose[14], 3.0f);
  int32_t anchor;
  memcpy(&anchor, &pose[15], 4);
  EXPECT_EQ(anchor, -1);
  float s1[3], s2[3], s3[3];
  cactor_evaluate(actor, 5, s1, s2, s3);
  EXPECT_FLOAT_EQ(s1[0], 1.0f);
  EXPECT_FLOAT_EQ(s3[2], 0.0f);
  tarq_destroy_anim(a);
}

TEST(EditorAnim, DeleteAndClearActors) {
  tarq_anim* a = tarq_create_anim();
  for (int i = 0; i < 3; i++) canim_new_actor(a);
  canim_set_bone_count(&a->actors[0], 2);
  canim_delete_actor(a, 0);
  EXPECT_EQ(a->actor_count, 2);
  EXPECT_STREQ(a->actors[0].name, "actor2");
  canim_delete_actor(a, 5);
  canim_delete_actor(nullptr, 0);
  EXPECT_EQ(canim_new_actor(a), 2);
  EXPECT_STREQ(a->actors[2].name, "actor2");
  tarq_clear_anim(a);
  EXPECT_EQ(a->actor_count, 0);
  tarq_destroy_anim(a);
}
