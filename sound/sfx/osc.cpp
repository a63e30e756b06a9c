// The eight waveforms with their second oscillator, the two noise generators
// and the reverb that every run ends with.
#include <cstring>

#include "sound/mixer/mixer.h"
#include "sound/sfx/shapes.h"

namespace {

// Every waveform's amplitude is raised by half (amp * 3 / 2). Amplitude 2048
// (volume 8 at 256 a step) would be a gain of one: the noise divides by that
// and keeps the extra half, the tones divide by 2048 * 3 / 2 and do not.
constexpr int32_t UNIT_AMP = 2048;
constexpr int32_t TONE_DIVISOR = UNIT_AMP * 3 / 2;  // 3072

// The main oscillator's square swings +-LEVEL and the second's +-LEVEL / 2
// (3071), so the sum is +-9214 or +-3072.
int32_t pulse(int32_t ph, int32_t r2, int32_t threshold) {
  constexpr int32_t SECOND = LEVEL / 2;
  return (LEVEL + SECOND) - 2 * LEVEL * (ph < threshold) - 2 * SECOND * (r2 < threshold);
}
// Instrument 5's square second oscillator: +-LEVEL / 4 (1535).
constexpr int32_t FOLD_SQUARE = LEVEL / 4;

int32_t mixer_random(uint32_t n) { return static_cast<int32_t>(tarq_prng_random(&ms0.prng, n)); }

// Waveforms 0-5 and 7: the value of one sample from both phases.
template <typename Wave>
void run_tone(tovo_osc_state* st, int16_t* buf, int count, int32_t r2_double, Wave wave) {
  const int32_t a = st->amp * 3 / 2;
  int32_t ph = st->ph, ph2 = st->ph2;
  for (int i = 0; i < count; i++) {
    const int32_t r2 = r2_double ? (ph2 * 2) & 0xffff : ph2 & 0xffff;
    buf[i] = static_cast<int16_t>(a * wave(ph, r2, ph2) / TONE_DIVISOR);
    ph = (ph + st->step) & 0xffff;
    ph2 = (ph2 + st->step2) & 0x1ffff;
  }
  st->ph = ph;
  st->ph2 = ph2;
}

void run_tone_waveform(tovo_osc_state* st, int16_t* buf, int count) {
  const int32_t s = st->shape, d2 = st->detune == 2;
  switch (st->waveform) {
    case TOVO_WAVE_RAMP:
      if (s)
        run_tone(st, buf, count, d2,
                 [](int32_t p, int32_t r, int32_t) { return (ramp_s(p) - CENTRE) + (ramp_s(r) - CENTRE) / 2; });
      else
        run_tone(st, buf, count, d2,
                 [](int32_t p, int32_t r, int32_t) { return (ramp(p) - CENTRE) + (ramp(r) - CENTRE) / 2; });
      return;
    case TOVO_WAVE_SAW:
      if (s)
        run_tone(st, buf, count, d2, [d2](int32_t p, int32_t r, int32_t p2) {
          const int32_t h2 = d2 ? p2 : p2 / 2;
          return ((r - 0x8000) / 4 + (h2 - 0x8000) / 4) / 4 + ((p - 0x8000) / 4 + (p / 2 - 0x8000) / 4) / 2;
        });
      else
        run_tone(st, buf, count, d2,
                 [](int32_t p, int32_t r, int32_t) { return ((r - 0x8000) / 4) / 2 + (p - 0x8000) / 4; });
      return;
    case TOVO_WAVE_SQUARE:
    case TOVO_WAVE_PULSE: {
      const int32_t threshold = st->waveform == TOVO_WAVE_SQUARE ? (s ? 0x9800 : 0x8000) : (s ? 0xc800 : 0xb000);
      run_tone(st, buf, count, d2, [threshold](int32_t p, int32_t r, int32_t) { return pulse(p, r, threshold); });
      return;
    }
    case TOVO_WAVE_FOLD:
      if (s)
        run_tone(st, buf, count, d2, [](int32_t p, int32_t r, int32_t) {
          return (inst5(p) - 0x2000) + (r > 0x7fff ? FOLD_SQUARE : -FOLD_SQUARE);
        });
      else
        run_tone(st, buf, count, d2,
                 [](int32_t p, int32_t r, int32_t) { return (inst5(p) - 0x2000) + (inst5(r) - 0x2000) / 2; });
      return;
    default:  // the triangles
      if (s) run_tone(st, buf, count, 0, [](int32_t p, int32_t r, int32_t) { return tri_u(p) + tri_u(r) / 2; });
      else run_tone(st, buf, count, 0, [](int32_t p, int32_t r, int32_t) { return tri_t(p) + tri_t(r) / 2; });
  }
}

// Sample-and-hold noise: a new random level every P samples, held (mode 1)
// or interpolated towards (mode 2).
void run_hold_noise(tovo_osc_state* st, int16_t* buf, int count) {
  const int32_t a = st->amp * 3 / 2;
  int32_t p = 64 - (st->pitch >> 16);
  if (p < 1) p = 1;
  if (p > 63) p = (p - 48) * 4;
  int32_t c = st->hold_count;
  for (int i = 0; i < count; i++) {
    int32_t v;
    if (c == 0) {
      st->hold_old = st->hold_new;
      st->hold_new = mixer_random(CENTRE) - LEVEL;
      v = st->hold_old * a / UNIT_AMP;
    } else if (st->noise_mode == 1) {
      v = st->hold_old * a / UNIT_AMP;
    } else {
      v = (st->hold_new * (c * a / p) + st->hold_old * (a * (p - c) / p)) / UNIT_AMP;
    }
    buf[i] = static_cast<int16_t>(v);
    c = (c + 1) % p;
    st->ph = (st->ph + st->step) & 0xffff;
  }
  st->hold_count = c;
}

// Random-walk noise whose range follows the step, with spikes. The range,
// the spike threshold and the gain h are curves fitted to the step and the
// pitch; the spikes come where a hash of the phase falls below the threshold.
void run_walk_noise(tovo_osc_state* st, int16_t* buf, int count) {
  const int32_t a = st->amp * 3 / 2, step = st->step;
  int32_t range = step < 79 ? (step - 79) * 60 + 1752 : (step + 140) * 8;
  if (range < 0) range = 0;
  const int32_t half = -(range >> 1);
  const int32_t gain = st->shape ? 0 : st->spike;
  const uint32_t threshold = static_cast<uint32_t>((step + 500) / 3);
  const int32_t h = st->ipitch < 48 ? 80 : (2048 / (st->ipitch + 16) + 48 > 64 ? 2048 / (st->ipitch + 16) + 48 : 64);
  int32_t walk = st->walk, toggle = st->toggle;
  uint32_t ph = static_cast<uint32_t>(st->ph);
  for (int i = 0; i < count; i++) {
    toggle = (toggle + 1) & 1;
    if (toggle == 1) walk += half + mixer_random(static_cast<uint32_t>(range));
    int32_t v = walk;
    if (gain != 0 && (((ph + 316) * (ph + 101) + ph + 101) & 0x1fff) < threshold)
      v = walk + gain * (mixer_random(CENTRE) - LEVEL) / TOVO_FULL_AMP;
    walk = v < -LEVEL ? -LEVEL : v > LEVEL ? LEVEL : v;
    buf[i] = static_cast<int16_t>(a * h * (v >> 6) / UNIT_AMP);
    ph = (ph + static_cast<uint32_t>(step)) & 0xffff;
  }
  st->walk = walk;
  st->toggle = toggle;
  st->ph = static_cast<int32_t>(ph);
}

}  // namespace

int32_t inst5(int32_t x) {
  if (x < 0x4000) return x;
  if (x < 0x8000) return 0x8000 - x;
  if (x < 0xc000) return (x - 0x8000) * 2 / 3;
  return (PERIOD - x) * 2 / 3;
}

void mix_osc_tick_new(tovo_osc_state* st, int16_t* buf, int count, const tovo_mixer_channel* c) {
  if (st->amp == 0 && c->reverb == 0) {
    st->ph = 0;
    std::memset(buf, 0, sizeof(int16_t) * static_cast<size_t>(count));
    return;
  }
  if (st->step == st->step2) st->ph2 = st->ph;
  if (st->waveform == TOVO_WAVE_NOISE) {
    if (st->noise_mode >= 1) run_hold_noise(st, buf, count);
    else run_walk_noise(st, buf, count);
  } else {
    run_tone_waveform(st, buf, count);
  }
  if (c->reverb == 0) return;
  const int16_t* src = c->ring[(c->ring_index - (c->reverb == 1 ? 2 : 4)) & (TOVO_RING - 1)];
  for (int i = 0; i < count; i++) buf[i] = static_cast<int16_t>((buf[i] * 4 + src[i] * 2) / 4);
}
