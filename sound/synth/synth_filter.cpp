// Synth filter nodes over the node named by parameter 0: low/high-pass,
// delay, reduce and mix.
#include "sound/synth/synth_nodes.h"

namespace {

constexpr int32_t MAX_TAPS = 256;  // bounds the delay's work per sample

int32_t clampi(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

void pass(tarq_synth* s, int32_t n, const int32_t* x, int32_t* y, int32_t len) {
  int64_t prev_x = 0, prev_hp = 0, prev_y = 0;
  for (int32_t i = 0; i < len; i++) {
    const int32_t p1 = synth_param(s, n, 1, i), p2 = synth_param(s, n, 2, i);
    const int64_t c = clampi(p2, 0, 0x10000), c2 = c * c >> 16;
    const int64_t hp = i == 0 ? x[0] : ((0x40000 - c2) >> 4) * (x[i] + prev_hp - prev_x) >> 14;
    prev_x = x[i];
    prev_hp = clamp32(hp);
    int64_t v = prev_hp;
    if (p1 < 0x10000 && i > 0) {
      const int64_t h = (p1 < 0 ? 0 : p1) >> 1;
      const int64_t g = (0x10000 - (h * ((h * h) >> 15) >> 14)) >> 2;
      v = (g * prev_y + v * (0x4000 - g)) / 0x4000;
    }
    y[i] = clamp32(v);
    prev_y = y[i];
  }
}

void delay(tarq_synth* s, int32_t n, const int32_t* x, int32_t* y, int32_t len) {
  for (int32_t i = 0; i < len; i++) {
    const int32_t half = synth_param(s, n, 1, i) / 2, d = half < 1 ? 1 : half;
    const int64_t feedback = clampi(synth_param(s, n, 2, i), 0, 0xffff);
    const int32_t taps = clampi(synth_param(s, n, 3, i), 0, MAX_TAPS);
    const int32_t p4 = synth_param(s, n, 4, i);
    const bool stretch = p4 != 0 && p4 != 0x10000;
    int64_t gain = 0x4000, factor = 0x10000, sum = 0;
    for (int32_t j = 0; j < taps && gain > 64; j++) {
      const int64_t at = static_cast<int64_t>(i) - static_cast<int64_t>(j) * d;
      if (at < 0) break;
      const int64_t k = stretch ? at * factor >> 16 : at;
      if (k >= 0 && k < len) sum += gain * x[k] / 0x4000;
      gain = gain * feedback / 0x10000;
      if (stretch) factor = factor * p4 >> 16;
      if (factor > (static_cast<int64_t>(1) << 40) || factor < -(static_cast<int64_t>(1) << 40)) break;
    }
    y[i] = clamp32(sum);
  }
}

void reduce(tarq_synth* s, int32_t n, const int32_t* x, int32_t* y, int32_t len) {
  for (int32_t i = 0; i < len; i++) {
    const int32_t ceiling = synth_param(s, n, 1, i), floor = synth_param(s, n, 2, i);
    const int32_t q = synth_param(s, n, 3, i);
    int64_t v = x[i] < floor ? floor : x[i];
    if (v > ceiling) v = ceiling;
    if ((q < -3 || q > 3) && q / 4 != 0) v = static_cast<int64_t>(q / 4) * v / 0x4000 * 0x4000 / (q / 4);
    y[i] = clamp32(v);
  }
}

void mix(tarq_synth* s, int32_t n, int32_t* y, int32_t len) {
  for (int32_t i = 0; i < len; i++) {
    int64_t sum = 0;
    for (int k = 0; k < 4; k++) sum += synth_param(s, n, k, i);
    y[i] = clamp32(sum * (synth_param(s, n, 4, i) >> 4) / 4096);
  }
  if (param_base(s->node[n].word, 6) == 0) return;
  // Loopable: the halves crossfaded by a triangle and the second half made
  // a copy of the first.
  const int32_t half = len / 2;
  if (half == 0) return;
  for (int32_t i = 0; i < half; i++) {
    const int64_t a = static_cast<int64_t>(y[i]) * i / half, b = static_cast<int64_t>(y[i + half]) * (half - i) / half;
    y[i] = clamp32(a + b);
  }
  for (int32_t i = 0; i < half; i++) y[i + half] = y[i];
}

}  // namespace

void synth_render_filter(tarq_synth* s, int32_t n) {
  const int32_t len = synth_length(s);
  int32_t* y = s->node[n].buffer;
  const int32_t* x = synth_source(s, param_source(s->node[n].word, 0), n);
  switch (s->node[n].word[1]) {
    case FILTER_MIX: mix(s, n, y, len); return;
    case FILTER_PASS:
    case FILTER_DELAY:
    case FILTER_REDUCE: break;
    default: return;
  }
  if (!x) return;  // no input: silence
  if (s->node[n].word[1] == FILTER_PASS) pass(s, n, x, y, len);
  else if (s->node[n].word[1] == FILTER_DELAY) delay(s, n, x, y, len);
  else reduce(s, n, x, y, len);
}
