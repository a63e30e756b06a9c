// The oscillator state of one tick: the note at the tick position with its
// effect, its custom instrument, the registers and the flags of the sound.
#include "sound/mixer/mixer.h"

namespace {

// Hz of the twelve notes from C and of the next C.
constexpr int32_t note_dx[13] = {523, 554, 587, 622, 659, 698, 740, 784, 831, 880, 932, 984, 1046};
constexpr int32_t vibrato_both[8] = {128, 130, 132, 130, 128, 126, 124, 126};
constexpr int32_t vibrato_one[8] = {128, 129, 130, 129, 128, 127, 126, 127};

int32_t quot(int64_t a, int64_t b) { return static_cast<int32_t>(a / b); }

// The pitch of an arpeggio note: note (i & 0x1c) + (position / rate) mod 4.
int32_t arpeggio_pitch(const tovo_sfx* s, int32_t i, int32_t position, int32_t rate) {
  return snd(s->notes[(i & 0x1c) + (position / rate) % 4].pitch) << 16;
}

void apply_meta_instrument(tovo_mixer_channel* c, const tovo_note* note, tovo_osc_state* st) {
  int32_t n = snd(note->waveform);
  n = n < 0 ? 0 : n > 7 ? 7 : n;
  const tovo_sfx* inst = &c->cart->sfx[n];
  const int32_t raw_speed = snd(inst->speed);
  const int32_t f = sfx_speed(inst), ls = snd(inst->loop_start), le = snd(inst->loop_end);
  int32_t g = c->inst_ticks;
  if (ls < le && g >= f * le) c->inst_ticks = g = f * ls;
  const int32_t h = g / f;
  if (h > 31 || (h >= ls && le == 0 && ls > 0)) {
    st->amp = 0;
    st->waveform = 0;
    return;
  }
  const tovo_note* in = &inst->notes[h];
  const int32_t ip = snd(in->pitch), iw = snd(in->waveform), iv = snd(in->volume), ie = snd(in->effect);
  const int32_t u = g % f;
  if (u == (raw_speed <= 0 ? 0 : raw_speed - 1)) {
    c->prev_inst_pitch = ip;
    c->prev_inst_waveform = iw;
    c->prev_inst_volume = iv;
  }
  int32_t m = iv * 256, o = ip << 16;
  switch (ie) {
    case 1: {
      const int32_t from_p = h == 0 ? 24 : c->prev_inst_pitch, from_v = h == 0 ? iv : c->prev_inst_volume;
      m = quot(static_cast<int64_t>(m) * u + static_cast<int64_t>(f - u) * from_v * 256, f);
      o = quot((static_cast<int64_t>(ip) * u << 16) + (static_cast<int64_t>(from_p) << 16) * (f - u), f);
      break;
    }
    case 3: st->inst_drop = (f - u) * 256 / f; break;
    case 4: m = quot(static_cast<int64_t>(m) * u, f); break;
    case 5: m = quot(static_cast<int64_t>(f - u) * m, f); break;
    case 6: o = arpeggio_pitch(inst, h, g, raw_speed < 9 ? 2 : 4); break;
    case 7: o = arpeggio_pitch(inst, h, g, raw_speed < 9 ? 4 : 8); break;
    default: break;
  }
  st->ipitch += ip - 24;
  st->pitch = wrap_add(st->pitch, o - (24 << 16));
  st->waveform = iw;
  st->inst_effect = ie;
  st->inst_flags = snd(inst->flags);
  st->amp = m * st->amp / TOVO_FULL_AMP;
  st->spike = m * 7 / (iv > 1 ? iv : 1);
}

// On the first tick of a custom note: whether its instrument starts again.
void decide_instrument_restart(tovo_mixer_channel* c, int32_t i, int32_t p, int32_t effect, int32_t waveform) {
  const tovo_sfx* inst = &c->cart->sfx[waveform < 0 ? 0 : waveform > 7 ? 7 : waveform];
  const int32_t length = sfx_loops(inst) ? 0x1000000 : sfx_length(inst) * sfx_speed(inst);
  const bool fresh = !(effect == 1 || (i != 0 && p == c->prev_pitch));
  const bool same_waveform = waveform == c->prev_waveform;
  bool goes_on;
  if (c->inst_ticks < length && !fresh) goes_on = effect != 3 && effect != 4 && same_waveform;
  else goes_on = effect == 3 && same_waveform;
  if (!goes_on) c->inst_ticks = 0;
}

}  // namespace

int32_t tovo_pitch_step(int32_t pitch) {
  const int32_t q = pitch >> 16, frac = pitch & 0xffff;
  const int32_t octave = (q + 48) / 12 - 4;
  const int32_t k = q >= 0 ? q % 12 : (12 - (-q) % 12) % 12;
  int64_t step =
      (static_cast<int64_t>(note_dx[k]) * (0x10000 - frac) + static_cast<int64_t>(note_dx[k + 1]) * frac) / 22050;
  for (int o = octave; o < 3; o++) step /= 2;
  for (int o = 3; o < octave && step <= 0x7fff; o++) step *= 2;
  if (step < 8) return 8;
  if (step > 0x7fff) return 0x8000;
  return static_cast<int32_t>(step);
}

void calculate_osc_state(tovo_mixer_channel* c, tovo_osc_state* st) {
  const tovo_sfx* sfx = c->sfx;
  const int32_t s = sfx ? sfx_speed(sfx) : 1;
  const int32_t i = sfx ? c->tick_pos / s : -1;
  if (!sfx || i < 0 || i > 31) {
    st->amp = 0;
    st->waveform = 0;
    st->step = 0;
    return;
  }
  const int32_t t = c->tick_pos % s;
  const int32_t fast = s <= 8 ? 2 : 4, slow = s <= 8 ? 4 : 8;
  const tovo_note* note = &sfx->notes[i];
  const int32_t p = snd(note->pitch), w = snd(note->waveform), v = snd(note->volume);
  const int32_t effect = snd(note->effect), custom = snd(note->custom);
  st->waveform = w;
  st->note_volume = v;
  st->note_pitch = p;
  st->note_waveform = w;
  st->amp = v * 256;
  st->pitch = p << 16;
  switch (effect) {
    case 1: {
      const int32_t from_p = i == 0 ? 24 : c->prev_pitch, from_v = i == 0 ? v : c->prev_volume;
      st->pitch = quot((static_cast<int64_t>(from_p) << 16) * (s - t) + (static_cast<int64_t>(p) << 16) * t, s);
      st->amp = quot(static_cast<int64_t>(v) * 256 * t + static_cast<int64_t>(s - t) * from_v * 256, s);
      break;
    }
    case 4: st->amp = quot(static_cast<int64_t>(v) * 256 * t, s); break;
    case 5: st->amp = quot(static_cast<int64_t>(s - t) * v * 256, s); break;
    case 6: st->pitch = arpeggio_pitch(sfx, i, c->tick_pos, fast); break;
    case 7: st->pitch = arpeggio_pitch(sfx, i, c->tick_pos, slow); break;
    default: break;
  }
  st->ipitch = p;
  st->spike = st->amp;
  st->inst_effect = 0;
  st->inst_flags = 0;
  if (custom) {
    if (t == 0) decide_instrument_restart(c, i, p, effect, w);
    apply_meta_instrument(c, note, st);
  } else {
    c->inst_ticks = 0;
  }
  const int32_t regs0 = tovo_sound_reg(0);
  if (regs0 >> (c->number + 4) & 1) st->pitch = wrap_add(st->pitch, -(12 << 16));

  int32_t step = tovo_pitch_step(st->pitch);
  const int32_t phase = (c->tick_pos >> 1) & 7;
  if (effect == 2 || st->inst_effect == 2)
    step = step * (effect == 2 && st->inst_effect == 2 ? vibrato_both : vibrato_one)[phase] >> 7;
  if (effect != 2) {
    if (!custom && effect == 3) step = quot(static_cast<int64_t>(step) * (s - t), s);
    if (st->inst_effect == 3) step = step * st->inst_drop / 256;
  }
  st->step = step;

  if (c->music) st->amp = (st->amp * (fade_vol.load(std::memory_order_relaxed) >> 8)) / 256 * tovo_music_volume() / 256;

  const int32_t flags = snd(sfx->flags), iflags = st->inst_flags;
  auto larger = [](int32_t a, int32_t b) { return a > b ? a : b; };
  st->detune = larger(flag_digit(flags, 0), flag_digit(iflags, 0));
  st->shape = larger(flags >> 2 & 1, iflags >> 2 & 1);
  st->noise_mode = larger(flags >> 1 & 1, iflags >> 1 & 1);
  if (st->waveform == 6 && st->noise_mode && c->lowpass > 11) {
    st->noise_mode = 2;
    c->lowpass = 0;
  }

  const int32_t d = st->detune;
  auto scale = [step](int32_t num) { return static_cast<int32_t>((static_cast<int64_t>(step) * num) >> 8); };
  if (d == 0) st->step2 = st->waveform == 7 ? scale(254) : step;
  else if (st->waveform == 0) st->step2 = scale(d == 1 ? 193 : 384);
  else if (st->waveform == 7) st->step2 = scale(d == 1 ? 250 : 508);
  else st->step2 = scale(255);
  if (d >= 1 && st->waveform >= 0 && st->waveform <= 5) st->amp = st->amp * 5 / 4;

  int32_t reverb = larger(flag_digit(flags, 1), flag_digit(iflags, 1));
  const int32_t regs1 = tovo_sound_reg(1);
  if (regs1 >> (c->number + 4) & 1) reverb = larger(reverb, 1);
  if (regs1 >> c->number & 1) reverb = 2;
  st->reverb = reverb;
}
