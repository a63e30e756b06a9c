#pragma once
// Changing and playing animation sets: clearing, deleting actors, inserting
// and deleting channel states, key lookup and evaluation of channels and
// actors (three fixed vectors, or a pose for a model's bones).
#include <cstdint>

#include "engine/data/anim.h"

void tarq_clear_anim(tarq_anim* anim);
void canim_delete_actor(tarq_anim* anim, int32_t index);

// A new state at time t after every state at or before t; its value is zeroed
// for the caller to fill. Returns its index, -1 when there is no room.
int32_t canim_channel_insert_state(tarq_anim_channel* channel, int32_t t);
void canim_channel_delete(tarq_anim_channel* channel, int32_t index);
void canim_channel_clear(tarq_anim_channel* channel);

// The last state whose time is at most t (0 before the first key).
int32_t canim_channel_index_for_t(const tarq_anim_channel* channel, int32_t t);
// The state with this command nearest at or before t, else the first after; -1 for none.
int32_t canim_channel_index_for_command(const tarq_anim_channel* channel, int32_t t, int32_t command);

// The first three floats of the value at t; without states `out` is left as it was.
void canim_channel_evaluate(const tarq_anim_channel* channel, int32_t t, float* out);
void canim_channel_evaluate_nonlinear(const tarq_anim_channel* channel, int32_t t, float* out);

void cactor_evaluate(const tarq_actor* actor, int32_t t, float* out1, float* out2, float* out3);
// Writes bone_count + 1 entries of four floats: one per bone channel, then the anchor.
void cactor_evaluate_bones(const tarq_actor* actor, int32_t t, float* pose);
