// Synth oscillator nodes: up to 16 detuned voices of one shape, each value
// scaled by the amplitude, the step sliding by parameter 7.
#include <cmath>
#include "engine/data/prng.h"
#include "engine/tracked_mem.h"
#include "sound/synth/synth_nodes.h"
#include "sound/xm/xm.h"

namespace {

constexpr int VOICES = 16;
constexpr int NOISE = 4096;
constexpr int32_t FULL = 0x7fff;
constexpr int64_t STEP_LIMIT = 0x10000000;

struct osc_run {
  tarq_synth* s;
  int32_t n;
  int32_t* w;
  int32_t length;
  uint32_t phase[VOICES];
  int32_t noise[NOISE];
};

void fill_noise(osc_run* r) {
  for (int32_t& v : r->noise) v = static_cast<int32_t>(tarq_random(2 * FULL + 1)) - FULL;
}

int64_t clamp_step(int64_t v) { return v > STEP_LIMIT ? STEP_LIMIT : v < -STEP_LIMIT ? -STEP_LIMIT : v; }

int32_t table_len(const int32_t* w) {
  const int32_t n = w[TARQ_SYNTH_TABLE_COUNT];
  return n <= 0 || n > TARQ_SYNTH_TABLE_BYTES ? TARQ_SYNTH_TABLE_BYTES : n;
}
int32_t table_at(const int32_t* w, int32_t k) { return reinterpret_cast<const int8_t*>(&w[TARQ_SYNTH_TABLE_FIRST])[k]; }

// One voice's value (+-0x7fff) at a 16-bit phase.
int32_t shape(osc_run* r, int32_t x, int32_t duty) {
  const int32_t* w = r->w;
  switch (w[1]) {
    case OSC_TRIANGLE: {
      const int32_t d = duty <= 0 || duty >= 0x10000 ? 0x8000 : duty;
      if (x < d) return static_cast<int32_t>(-FULL + static_cast<int64_t>(2) * FULL * x / d);
      return static_cast<int32_t>(FULL - static_cast<int64_t>(2) * FULL * (x - d) / (0x10000 - d));
    }
    case OSC_SQUARE: {
      const int32_t d = duty <= 0 || duty >= 0x10000 ? 0x8000 : duty;
      return x < d ? FULL : -FULL;
    }
    case OSC_SINE: return static_cast<int32_t>(std::lround(std::sin(6.283185307179586 * x / 65536.0) * FULL));
    case OSC_NOISE: return r->noise[x >> 4];
    case OSC_TABLE: {
      const int32_t len = table_len(w);
      const int64_t pos = static_cast<int64_t>(x) * len;
      const int32_t k = static_cast<int32_t>(pos >> 16), frac = static_cast<int32_t>(pos & 0xffff);
      const int32_t a = table_at(w, k), b = table_at(w, (k + 1) % len);
      return static_cast<int32_t>((static_cast<int64_t>(a) * 0x10000 + static_cast<int64_t>(b - a) * frac) >> 8);
    }
    case OSC_TABLE_PITCH: return static_cast<int32_t>(std::lround(std::sin(6.283185307179586 * x / 65536.0) * FULL));
    case OSC_RESAMPLE: {
      const int32_t* src = synth_source(r->s, param_source(w, 6), r->n);
      if (!src) return 0;
      const int64_t pos = static_cast<int64_t>(x) * (r->length - 1);
      const int32_t k = static_cast<int32_t>(pos >> 16), frac = static_cast<int32_t>(pos & 0xffff);
      const int32_t a = src[k], b = k + 1 < r->length ? src[k + 1] : a;
      return clamp32(a + ((static_cast<int64_t>(b) - a) * frac >> 16));
    }
    default: return 0;
  }
}

// The step a wave-table-driven pitch gives at position i: the table entry
// there is a semitone offset from the middle note.
int64_t table_pitch_step(const osc_run* r, int32_t i) {
  const int32_t len = table_len(r->w);
  const int32_t k = static_cast<int32_t>(static_cast<int64_t>(i) * len / r->length);
  return tarq_xm_step((48 + table_at(r->w, k)) * 128) >> 2;
}

}  // namespace

void synth_render_osc(tarq_synth* s, int32_t n) {
  osc_run* r = static_cast<osc_run*>(tarq_calloc(sizeof(osc_run)));
  if (!r) return;
  r->s = s;
  r->n = n;
  r->w = s->node[n].word;
  r->length = synth_length(s);
  const bool loop = r->w[2] != 0;
  fill_noise(r);
  int32_t* out = s->node[n].buffer;
  int64_t slide = 0;
  for (int32_t i = 0; i < r->length; i++) {
    int32_t p[8];
    for (int k = 0; k < 8; k++) p[k] = synth_param(s, n, k, i);
    if (param_base(r->w, 0) == 0 && param_slot(r->w, 0)[3] == 0) p[0] = 0x10000000 / r->length;
    int64_t step = static_cast<int64_t>(p[0]) * 2;
    slide = clamp_step(slide + static_cast<int64_t>(p[7]) * 2);
    if (r->w[1] == OSC_TABLE_PITCH) step = table_pitch_step(r, i);
    int32_t voices = p[3] > VOICES ? p[3] >> 16 : p[3];
    voices = voices < 1 ? 1 : voices > VOICES ? VOICES : voices;
    int64_t sum = 0;
    for (int v = 0; v < voices; v++) {
      const int64_t st = clamp_step(step + slide + static_cast<int64_t>(p[5]) * v);
      int64_t ph = static_cast<int64_t>(r->phase[v]) + st;
      if (loop) {
        if (v == 0 && (ph > SYNTH_PHASE_END || ph < 0) && r->w[1] == OSC_NOISE) fill_noise(r);
        ph &= SYNTH_PHASE_END;
      } else {
        ph = ph < 0 ? 0 : ph > SYNTH_PHASE_END ? SYNTH_PHASE_END : ph;
      }
      r->phase[v] = static_cast<uint32_t>(ph);
      sum += static_cast<int64_t>(shape(r, static_cast<int32_t>(ph >> 12), p[2])) * p[1] >> 16;
    }
    out[i] = clamp32(sum);
  }
  tarq_free(r);
}
