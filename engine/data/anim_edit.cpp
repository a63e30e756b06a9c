#include "engine/data/anim_edit.h"

#include <cmath>
#include <cstring>

namespace {

const float* value_at(const tarq_anim_channel* c, int32_t i) {
  return reinterpret_cast<const float*>(c->values + (size_t)i * (size_t)c->value_size);
}

// The fraction of the way from key lo to key lo + 1 at t, or -1 when the
// value at t is simply key lo's (before the first key, at or after the last,
// or two keys at one time).
float fraction(const tarq_anim_channel* c, int32_t lo, int32_t t) {
  if (lo >= c->count - 1 || t < c->times[0]) return -1;
  int32_t t0 = c->times[lo], t1 = c->times[lo + 1];
  if (t1 == t0) return -1;
  return (float)((double)t - t0) / (float)((double)t1 - t0);
}

float smooth_weight(float d) { return std::cos(d * (float)M_PI / 2) * (2 - std::fabs(d)) / 2; }

}  // namespace

void tarq_clear_anim(tarq_anim* anim) {
  if (!anim) return;
  while (anim->actor_count > 0) canim_delete_actor(anim, anim->actor_count - 1);
}

void canim_delete_actor(tarq_anim* anim, int32_t index) {
  if (!anim || index < 0 || index >= anim->actor_count) return;
  cactor_destroy_channels(&anim->actors[index]);
  int32_t last = anim->actor_count - 1;
  if (index != last) anim->actors[index] = anim->actors[last];
  memset(&anim->actors[last], 0, sizeof(tarq_actor));
  anim->actor_count = last;
}

int32_t canim_channel_insert_state(tarq_anim_channel* c, int32_t t) {
  int32_t at = 0;
  while (at < c->count && c->times[at] <= t) at++;
  int32_t n = c->count;
  if (!canim_channel_set_num_states(c, n + 1)) return -1;
  size_t vs = (size_t)c->value_size;
  memmove(c->values + (at + 1) * vs, c->values + at * vs, (size_t)(n - at) * vs);
  memmove(c->times + at + 1, c->times + at, sizeof(int32_t) * (size_t)(n - at));
  memmove(c->interpolation + at + 1, c->interpolation + at, sizeof(int32_t) * (size_t)(n - at));
  memset(c->values + at * vs, 0, vs);
  c->times[at] = t;
  c->interpolation[at] = 0;
  return at;
}

void canim_channel_delete(tarq_anim_channel* c, int32_t index) {
  if (!c || index < 0 || index >= c->count) return;
  int32_t after = c->count - index - 1;
  size_t vs = (size_t)c->value_size;
  memmove(c->values + index * vs, c->values + (index + 1) * vs, (size_t)after * vs);
  memmove(c->times + index, c->times + index + 1, sizeof(int32_t) * (size_t)after);
  memmove(c->interpolation + index, c->interpolation + index + 1, sizeof(int32_t) * (size_t)after);
  c->count--;
}

void canim_channel_clear(tarq_anim_channel* c) {
  if (c) c->count = 0;
}

int32_t canim_channel_index_for_t(const tarq_anim_channel* c, int32_t t) {
  if (c->count <= 1 || t <= c->times[0]) return 0;
  int32_t lo = 0, hi = c->count, mid = c->count / 2;
  while (hi - lo > 1) {
    if (t < c->times[mid]) hi = mid;
    else lo = mid;
    mid = lo + (hi - lo) / 2;
  }
  return lo;
}

int32_t canim_channel_index_for_command(const tarq_anim_channel* c, int32_t t, int32_t command) {
  if (c->count <= 0) return -1;
  auto command_of = [c](int32_t i) {
    int32_t word;
    memcpy(&word, c->values + (size_t)i * (size_t)c->value_size, sizeof word);
    return word;
  };
  int32_t from = 0;
  if (c->count > 1 && t > c->times[0]) {
    from = canim_channel_index_for_t(c, t);
    for (int32_t i = from; i >= 0; i--)
      if (command_of(i) == command) return i;
  }
  for (int32_t i = from; i < c->count; i++)
    if (command_of(i) == command) return i;
  return -1;
}

void canim_channel_evaluate(const tarq_anim_channel* c, int32_t t, float* out) {
  if (c->count <= 0) return;
  int32_t lo = canim_channel_index_for_t(c, t);
  const float* a = value_at(c, lo);
  float f = fraction(c, lo, t);
  if (f < 0) {
    for (int k = 0; k < 3; k++) out[k] = a[k];
    return;
  }
  const float* b = value_at(c, lo + 1);
  for (int k = 0; k < 3; k++) out[k] = a[k] * (1 - f) + b[k] * f;
}

void canim_channel_evaluate_nonlinear(const tarq_anim_channel* c, int32_t t, float* out) {
  if (c->count <= 0) return;
  int32_t lo = canim_channel_index_for_t(c, t);
  float f = fraction(c, lo, t);
  if (f < 0) {
    const float* a = value_at(c, lo);
    for (int k = 0; k < 3; k++) out[k] = a[k];
    return;
  }
  float weight[4], total = 0;
  const float* v[4];
  for (int j = 0; j < 4; j++) {
    int32_t i = lo - 1 + j;
    if (i < 0) i = 0;
    if (i > c->count - 1) i = c->count - 1;
    v[j] = value_at(c, i);
    weight[j] = smooth_weight((float)(j - 1) - f);
    total += weight[j];
  }
  // Normalised by the plain sum of the weights, so that a run of equal keys
  // stays at its value between them (the outer weights are negative).
  float scale = total != 0 ? 1 / total : 0;
  for (int k = 0; k < 3; k++) {
    float sum = 0;
    for (int j = 0; j < 4; j++) sum += v[j][k] * weight[j];
    out[k] = sum * scale;
  }
}

void cactor_evaluate(const tarq_actor* a, int32_t t, float* out1, float* out2, float* out3) {
  float* out[3] = {out1, out2, out3};
  for (int k = 0; k < 3; k++) {
    float start = k == 0 ? 1.0f : 0.0f;
    out[k][0] = out[k][1] = out[k][2] = start;
    canim_channel_evaluate(&a->channel[k], t, out[k]);
  }
}

void cactor_evaluate_bones(const tarq_actor* a, int32_t t, float* pose) {
  for (int32_t i = 0; i < a->bone_count; i++) {
    const tarq_anim_channel* c = a->bones ? a->bones[i] : nullptr;
    if (!c || c->count <= 0) continue;
    int32_t lo = canim_channel_index_for_t(c, t);
    float* entry = pose + 4 * i;
    float f = c->interpolation[lo] == 1 ? -1 : fraction(c, lo, t);
    if (f < 0) {
      size_t bytes = c->value_size < 16 ? (size_t)c->value_size : 16;  // one pose entry at most
      memcpy(entry, c->values + (size_t)lo * (size_t)c->value_size, bytes);
      continue;
    }
    const float* p = value_at(c, lo);
    const float* q = value_at(c, lo + 1);
    for (int k = 0; k < 4; k++) entry[k] = p[k] * (1 - f) + q[k] * f;
  }
  const tarq_anim_channel* cmd = &a->command;
  int32_t s = canim_channel_index_for_command(cmd, t, 2);
  if (s < 0) return;
  const uint8_t* state = cmd->values + (size_t)s * (size_t)cmd->value_size;
  float* anchor = pose + 4 * a->bone_count;
  memcpy(&anchor[0], state + 12, 3 * sizeof(float));
  memcpy(&anchor[3], state + 4, sizeof(float));  // the anchor bone word, as it is
}
