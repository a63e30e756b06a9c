// One mix channel: ticks of 183 samples made from its sound effect, the
// crossfade between ticks, the end of a sound effect, the filters of the
// registers, half speed and the sample sound laid over it.
#include <cstring>

#include "sound/items/pod_items.h"
#include "sound/mixer/mixer.h"

namespace {

int16_t ramp_buf[TOVO_RAMP];

// The end rules of a sound effect that plays outside music.
bool sfx_goes_on(const tovo_mixer_channel* c, int32_t b) {
  const tovo_sfx* s = c->sfx;
  if (c->end == 0) return false;
  if (c->looping && sfx_loops(s)) return true;
  if (b >= sfx_length(s)) return false;
  if (b < 31 && snd(s->notes[b].effect) == TOVO_EFFECT_SLIDE) return true;
  const int32_t speed = snd(s->speed);
  if (c->reverb != 0 && c->tick_pos < (speed < 1 ? 5 : speed + 4) * 32) return true;
  for (int k = b < 0 ? 0 : b; k < TOVO_SFX_NOTES; k++)
    if (snd(s->notes[k].volume) >= 1) return true;
  return false;
}

// The crush register: a coarse crush of the channel's bit, a fine one of its
// second bit.
void bit_crush(const tovo_mixer_channel* c, int16_t* t) {
  const int32_t r = tovo_sound_reg(TOVO_SOUND_REG_CRUSH);
  if (sound_reg_bit(r, c->number)) {
    for (int i = 0; i < TOVO_TICK; i++) t[i] = static_cast<int16_t>(t[i] >= 0 ? t[i] & 0xf000 : -((-t[i]) & 0xf000));
  } else if (sound_reg_second_bit(r, c->number)) {
    for (int i = 0; i < TOVO_TICK; i++) t[i] = static_cast<int16_t>(static_cast<uint16_t>(t[i]) & 0xf007);
  }
}

void low_pass(const tovo_mixer_channel* c, int16_t* t) {
  const int32_t k = c->lowpass;
  if (k <= 0) return;
  int32_t y = c->ring[(c->ring_index - 1) & (TOVO_RING - 1)][TOVO_TICK - 1];
  for (int i = 0; i < TOVO_TICK; i++) t[i] = static_cast<int16_t>(y = ((16 - k) * t[i] + k * y) / 16);
}

int32_t larger(int32_t a, int32_t b) { return a > b ? a : b; }

// The reverb and low-pass levels of the tick about to be made.
void tick_filters(tovo_mixer_channel* c) {
  const int32_t flags = c->sfx ? snd(c->sfx->flags) : 0, iflags = c->osc.inst_flags;
  const int32_t n = c->number;
  int32_t reverb = c->sfx ? flag_digit(flags, 1) : 0;
  reverb = larger(reverb, flag_digit(iflags, 1));
  const int32_t r1 = tovo_sound_reg(TOVO_SOUND_REG_REVERB);
  if (sound_reg_second_bit(r1, n)) reverb = larger(reverb, 1);
  if (sound_reg_bit(r1, n)) reverb = 2;
  c->reverb = reverb;

  static constexpr int32_t lowpass_of_digit[3] = {0, 8, 12};
  int32_t lp = c->sfx ? flag_digit(flags, 2) : 0;
  lp = lowpass_of_digit[larger(lp, flag_digit(iflags, 2))];
  const int32_t r3 = tovo_sound_reg(TOVO_SOUND_REG_LOWPASS);
  const bool fine = sound_reg_second_bit(r3, n), coarse = sound_reg_bit(r3, n);
  if (fine) lp = larger(lp, 8);
  if (coarse) lp = 12;
  if (fine && coarse) lp = 15;
  c->lowpass = lp;
}

}  // namespace

void tovo_clear_channel(tovo_mixer_channel* c) {
  c->cart = nullptr;
  c->sfx = nullptr;
  c->music = 0;
  c->sound = nullptr;
  c->looping = 0;
}

bool tovo_channel_idle(const tovo_mixer_channel* c) { return !c->sound && !c->sfx && !c->music; }

void mix_sfx_tick(tovo_mixer_channel* c) {
  int16_t* t = c->tick;
  std::memset(t, 0, sizeof c->tick);
  if (c->sfx) {
    const int32_t s = sfx_speed(c->sfx), e = c->tick_pos;
    tovo_osc_state old = c->osc;
    if (e % s == 0) {
      c->prev_pitch = c->osc.note_pitch;
      c->prev_waveform = c->osc.note_waveform;
      c->prev_volume = c->osc.note_volume;
    }
    calculate_osc_state(c, &c->osc);
    mix_osc_tick_new(&c->osc, t, TOVO_TICK, c);
    std::memset(ramp_buf, 0, sizeof ramp_buf);
    mix_osc_tick_new(&old, ramp_buf, TOVO_RAMP, c);
    for (int i = 0; i < TOVO_RAMP; i++)
      t[i] = static_cast<int16_t>((ramp_buf[i] * (TOVO_RAMP - i) + i * t[i]) / TOVO_RAMP);
    c->tick_pos = wrap_add(c->tick_pos, 1);
    c->end = wrap_add(c->end, -1);
    c->inst_ticks = wrap_add(c->inst_ticks, 1);
    const int32_t b = wrap_add(e, 1) / s;
    if (c->looping && sfx_loops(c->sfx) && c->tick_pos >= s * snd(c->sfx->loop_end))
      c->tick_pos = s * snd(c->sfx->loop_start);
    if (!c->music && !sfx_goes_on(c, b)) c->sfx = nullptr;
  } else {
    if (c->osc.step != 0 && c->osc.amp != 0) {
      mix_osc_tick_new(&c->osc, t, TOVO_RAMP, c);
      for (int i = 0; i < TOVO_RAMP; i++) t[i] = static_cast<int16_t>(t[i] * (TOVO_RAMP - i) / TOVO_RAMP);
    }
    c->tick_pos = wrap_add(c->tick_pos, 1);
    c->end = wrap_add(c->end, -1);
    c->osc.amp = 0;
    c->inst_ticks = 1;
  }
  if (c->music && c->end == 0 && c->pattern >= 0 && c->pattern < TOVO_PATTERNS) tovo_advance_pattern(c);
}

void mix_sfx_channel(tovo_mixer_channel* c, int16_t* out, int n) {
  tovo_history_begin(c, n);
  int done = 0;
  while (done < n) {
    if (c->tick_read < TOVO_TICK) {
      int k = TOVO_TICK - c->tick_read;
      if (k > n - done) k = n - done;
      std::memcpy(out + done, c->tick + c->tick_read, sizeof(int16_t) * static_cast<size_t>(k));
      c->tick_read += k;
      done += k;
      continue;
    }
    if (c->history_count < TOVO_HISTORY) tovo_history_add(c);
    tick_filters(c);
    mix_sfx_tick(c);
    bit_crush(c, c->tick);
    low_pass(c, c->tick);
    c->tick_read = 0;
    std::memcpy(c->ring[c->ring_index], c->tick, sizeof c->tick);
    c->ring_index = (c->ring_index + 1) & (TOVO_RING - 1);
  }
  if (c->history_count < TOVO_HISTORY) tovo_history_add(c);
}

// Copies the channel's sample sound over what it rendered.
static void lay_sample_sound(tovo_mixer_channel* c, int n) {
  int done = 0;
  while (done < n && c->sound) {
    const tarq_sound* sound = c->sound;
    // Only 16-bit samples are played; any other sound ends at once.
    const int32_t length = sound->bits == 16 ? sound->sample_count : 0;
    if (c->sound_pos < 0) c->sound_pos = 0;
    int k = length - c->sound_pos;
    if (k > n - done) k = n - done;
    if (k > 0) {
      std::memcpy(c->out + done, sound->data + static_cast<size_t>(c->sound_pos) * 2,
                  sizeof(int16_t) * static_cast<size_t>(k));
      c->sound_pos += k;
      done += k;
    }
    if (c->sound_pos >= length) {
      c->sound_pos = 0;
      if (!sound->loop || length == 0) tovo_clear_channel(c);
    }
  }
}

void update_mix_channel(tovo_mixer_channel* c, int n) {
  std::memset(c->out, 0, sizeof(int16_t) * static_cast<size_t>(n));
  if (sound_reg_bit(tovo_sound_reg(TOVO_SOUND_REG_SPEED), c->number)) {
    mix_sfx_channel(c, c->out, n / 2 + 1);
    for (int j = n - 1; j >= 0; j--) c->out[j] = c->out[j / 2];
  } else {
    mix_sfx_channel(c, c->out, n);
  }
  lay_sample_sound(c, n);
}
