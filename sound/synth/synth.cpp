// Synth graphs: nodes evaluated depth first into oversampled buffers, slice
// by slice, and the output node folded down into a 16-bit sound.
#include <cstring>

#include "engine/data/prng.h"
#include "engine/data/prng_state.h"
#include "engine/tracked_mem.h"
#include "sound/synth/synth.h"
#include "sound/synth/synth_nodes.h"

namespace {

constexpr int32_t FADE = 256;

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
