// An older renderer of the oscillator, and one note of a waveform.
#include "sound/sfx/osc_old.h"

#include <cstring>

#include "sound/mixer/audio_lock.h"
#include "sound/mixer/mixer.h"
#include "sound/sfx/shapes.h"

namespace {

int32_t main_shape(const tovo_osc_state* st, int32_t ph) {
  const bool s = st->shape != 0;
  switch (st->waveform) {
    case TOVO_WAVE_RAMP: return (s ? ramp_s(ph) : ramp(ph)) - CENTRE;
    case TOVO_WAVE_SAW: return s ? ((ph - 0x8000) / 4 + (ph / 2 - 0x8000) / 4) / 2 : (ph - 0x8000) / 4;
    case TOVO_WAVE_SQUARE: return LEVEL - 2 * LEVEL * (ph < (s ? 0x9800 : 0x8000));
    case TOVO_WAVE_PULSE: return LEVEL - 2 * LEVEL * (ph < (s ? 0xc800 : 0xb000));
    case TOVO_WAVE_FOLD: return inst5(ph) - 0x2000;
    case TOVO_WAVE_NOISE: return static_cast<int32_t>(tarq_prng_random(&ms0.prng, CENTRE)) - LEVEL;
    default: return s ? tri_u(ph) : tri_t(ph);  // 0 and 7
  }
}

}  // namespace

void mix_osc_tick_old(tovo_osc_state* st, int16_t* buf, int count) {
  if (st->amp == 0) {
    st->ph = 0;
    std::memset(buf, 0, sizeof(int16_t) * static_cast<size_t>(count));
    return;
  }
  int32_t ph = st->ph & 0xffff;
  for (int i = 0; i < count; i++) {
    buf[i] = static_cast<int16_t>(st->amp * main_shape(st, ph) / 2048);
    ph = (ph + st->step) & 0xffff;
  }
  st->ph = ph;
}

void generate_sfx_inst_note(int16_t* buf, int count, int32_t pitch, int32_t waveform, int32_t volume) {
  tarq_audio_guard lock;
  tovo_mixer_channel c{};  // a channel of its own: no reverb, no ring
  tovo_osc_state& st = c.osc;
  st.waveform = waveform & 7;
  st.note_pitch = st.ipitch = pitch;
  st.pitch = static_cast<int32_t>(static_cast<uint32_t>(pitch) << 16);
  st.note_volume = volume;
  st.amp = st.spike = volume * 256;
  st.step = st.step2 = tovo_pitch_step(st.pitch);
  mix_osc_tick_new(&st, buf, count, &c);
}
