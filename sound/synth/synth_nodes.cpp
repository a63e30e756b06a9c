// Synth node evaluation: sources first, depth first, each node once.
#include "sound/synth/synth_nodes.h"
#include "engine/tracked_mem.h"

namespace {

bool valid_node(int32_t index) { return index >= 0 && index < TARQ_SYNTH_NODES; }

// `visiting` keeps a cycle of sources from recursing forever: a node that
// is being evaluated reads as silence to the nodes it feeds.
void evaluate(tarq_synth* s, int32_t n, uint32_t visiting) {
  tarq_synth_node& node = s->node[n];
  if (node.buffer || node.word[0] == SYNTH_EMPTY || (visiting >> n & 1)) return;
  visiting |= 1u << n;
  for (int k = 0; k < TARQ_SYNTH_PARAMS; k++) {
    const int32_t src = param_source(node.word, k);
    if (src != n && valid_node(src)) evaluate(s, src, visiting);
  }
  const int32_t length = synth_length(s);
  if (length == 0) return;
  node.buffer = static_cast<int32_t*>(tarq_calloc(sizeof(int32_t) * static_cast<size_t>(length)));
  if (!node.buffer) return;
  if (node.word[0] == SYNTH_OSC) synth_render_osc(s, n);
  else if (node.word[0] == SYNTH_FILTER) synth_render_filter(s, n);
}

}  // namespace

const int32_t* synth_source(const tarq_synth* s, int32_t index, int32_t self) {
  if (index == self || !valid_node(index)) return nullptr;
  return s->node[index].buffer;
}

int32_t synth_param(tarq_synth* s, int32_t n, int k, int32_t i) {
  int32_t* slot = param_slot(s->node[n].word, k);
  const int32_t base = slot[0], mode = slot[3];
  const int32_t* src = synth_source(s, slot[2], n);
  const int32_t x = src ? src[i] : 0;
  int32_t v = base;
  if (mode == 1) v = static_cast<int32_t>(static_cast<uint32_t>(base) + static_cast<uint32_t>(x));
  else if (mode == 2) v = clamp32(static_cast<int64_t>(base >> 4) * (x >> 4) >> 8);
  slot[1] = v;
  return v;
}

void synth_evaluate(tarq_synth* s, int32_t n) {
  if (valid_node(n)) evaluate(s, n, 0);
}
