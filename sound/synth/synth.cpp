// Synth graphs: nodes evaluated depth first (sources first, each node once)
// into oversampled buffers, slice by slice, and the output node folded down
// into a 16-bit sound.
#include <cstring>

#include "engine/data/prng.h"
#include "engine/data/prng_state.h"
#include "engine/tracked_mem.h"
#include "sound/synth/synth.h"
#include "sound/synth/synth_nodes.h"

namespace {

constexpr int32_t FADE = 256;

// ---- node evaluation ----

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

// ---- folding down ----

// The rendered sound: four oversampled values to a sample, clamped, with
// the ends faded unless the output is a loopable mix.
void fold_down(tarq_synth* synth, tarq_sound* sound) {
  const int32_t* y = synth->node[synth->output].buffer;
  const int32_t length = synth_length(synth);
  int32_t n = length / 4;
  if (n > sound->sample_count) n = sound->sample_count;
  int16_t* out = reinterpret_cast<int16_t*>(sound->data);
  const int32_t* w = synth->node[synth->output].word;
  const bool loopable = w[0] == SYNTH_FILTER && w[1] == FILTER_MIX && param_base(w, 6) != 0;
  for (int32_t i = 0; i < n; i++) {
    int64_t sum = 0;
    for (int k = 0; k < 4; k++) sum += y[4 * i + k];
    sum /= 4;
    if (!loopable && length > FADE) {
      if (i < FADE) sum = sum * i / FADE;
      if (n - 1 - i < FADE) sum = sum * (n - 1 - i) / FADE;
    }
    out[i] = static_cast<int16_t>(sum > 0x7fff ? 0x7fff : sum < -0x7fff ? -0x7fff : sum);
  }
}

}  // namespace

// ---- node evaluation ----

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

// ---- rendering a graph ----

int tarq_synth_generate_slice(tarq_synth* synth, tarq_sound* sound, int32_t) {
  if (!synth) return 0;
  uint32_t high, low;
  tarq_random_get_seeds(&high, &low);
  tarq_srand(static_cast<uint32_t>(synth->header[1]));
  if (!synth->generating || synth->next_node <= 0) {
    synth->generating = 1;
    synth->next_node = 0;
    for (tarq_synth_node& node : synth->node) {
      tarq_free(node.buffer);
      node.buffer = nullptr;
    }
    synth->output = -1;
  }
  const int32_t i = synth->next_node;
  if (synth->node[i].word[0] != 0) {
    if (i + 1 == TARQ_SYNTH_NODES || synth->node[i + 1].word[0] == 0) synth->output = i;
    synth_evaluate(synth, i);
  }
  synth->next_node++;
  int more = 1;
  if (synth->next_node >= TARQ_SYNTH_NODES) {
    synth->generating = 0;
    synth->next_node = 0;
    more = 0;
    if (synth->output >= 0 && synth->node[synth->output].buffer) {
      if (!sound) {
        if (!synth->sound) synth->sound = tarq_create_sound(synth_length(synth) / 4, 16);
        sound = synth->sound;
      }
      // The callback must not read samples while they are rewritten.
      tarq_stop_sound(sound);
      if (sound && sound->bits == 16) fold_down(synth, sound);
    }
  }
  tarq_random_set_seeds(high, low);
  return more;
}

int tarq_synth_generate(tarq_synth* synth, tarq_sound* sound, int32_t flags) {
  if (!synth) return 1;
  synth->generating = 0;
  while (tarq_synth_generate_slice(synth, sound, flags)) {
  }
  if (synth->output < 0 || !synth->node[synth->output].buffer) return 1;
  return sound || synth->sound ? 0 : 1;
}
