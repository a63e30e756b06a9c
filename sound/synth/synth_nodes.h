#pragma once
// The inside of synth graph rendering: node kinds, parameter evaluation and
// the two node renderers.
#include <cstdint>

#include "sound/items/pod_items.h"

enum : int32_t { SYNTH_EMPTY = 0, SYNTH_OSC = 1, SYNTH_FILTER = 2 };
enum : int32_t { FILTER_PASS = 1, FILTER_DELAY = 2, FILTER_REDUCE = 3, FILTER_MIX = 4 };
enum : int32_t {
  OSC_TRIANGLE = 1,
  OSC_SQUARE = 2,
  OSC_SINE = 3,
  OSC_NOISE = 4,
  OSC_TABLE = 5,
  OSC_TABLE_PITCH = 6,
  OSC_RESAMPLE = 7
};

constexpr int32_t SYNTH_MAX_LENGTH = 1 << 24;  // oversampled values a graph renders at most
constexpr int32_t SYNTH_PHASE_END = 0x0fffffff;

// The oversampled length, 0..SYNTH_MAX_LENGTH.
inline int32_t synth_length(const tarq_synth* s) {
  const int32_t n = s->header[0];
  return n < 0 ? 0 : n > SYNTH_MAX_LENGTH ? SYNTH_MAX_LENGTH : n;
}
inline int32_t* param_slot(int32_t* w, int k) { return &w[TARQ_SYNTH_PARAM_FIRST + 4 * k]; }
inline int32_t param_base(const int32_t* w, int k) { return w[TARQ_SYNTH_PARAM_FIRST + 4 * k]; }
inline int32_t param_source(const int32_t* w, int k) { return w[TARQ_SYNTH_PARAM_FIRST + 4 * k + 2]; }
inline int32_t clamp32(int64_t v) {
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

// A node's rendered buffer when `index` names another node that has one.
const int32_t* synth_source(const tarq_synth* s, int32_t index, int32_t self);
// Parameter k of node n at oversampled position i: stored as its current
// value and returned.
int32_t synth_param(tarq_synth* s, int32_t n, int k, int32_t i);
// Evaluates node n and, first, the nodes its parameters name.
void synth_evaluate(tarq_synth* s, int32_t n);
// Fill the node's (allocated, zeroed) buffer.
void synth_render_osc(tarq_synth* s, int32_t n);
void synth_render_filter(tarq_synth* s, int32_t n);
