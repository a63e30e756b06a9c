// The module player: its record, rows read at the first tick, effects every
// tick, each channel's sample rendered with linear interpolation at the step
// of its pitch (from the module period table) and the channels summed; and
// the module stream added into the mix.
#include <cmath>
#include <cstring>

#include "sound/mixer/mixer.h"
#include "sound/xm/xm.h"

tarq_xm_player xm0;

namespace {

// 12 notes x 8 finetune steps of one octave.
constexpr int16_t period_table[96] = {907, 900, 894, 887, 881, 875, 868, 862, 856, 850, 844, 838, 832, 826, 820, 814,
                                      808, 802, 796, 791, 785, 779, 774, 768, 762, 757, 752, 746, 741, 736, 730, 725,
                                      720, 715, 709, 704, 699, 694, 689, 684, 678, 674, 670, 665, 660, 655, 651, 646,
                                      640, 637, 632, 628, 623, 619, 614, 610, 604, 601, 597, 592, 588, 584, 580, 575,
                                      570, 567, 563, 559, 555, 551, 547, 543, 538, 535, 532, 528, 524, 520, 516, 513,
                                      508, 505, 502, 498, 494, 491, 487, 484, 480, 477, 474, 470, 467, 463, 460, 457};

constexpr int32_t FINE_PER_NOTE = 128;  // 8 table steps of 16 fine steps
constexpr int32_t OCTAVES = 10;
constexpr int32_t KEY_OFF = 96;  // notes above this silence the channel
constexpr int32_t FX_ARPEGGIO = 0, FX_SLIDE_UP = 1, FX_SLIDE_DOWN = 2, FX_PORTAMENTO = 3, FX_VIBRATO = 4,
                  FX_VOLUME_DOWN = 10, FX_JUMP = 11;

const tarq_xm_instrument* instrument(const tarq_xm* xm, int32_t i) {
  return i >= 0 && i <= xm->instrument_count ? &xm->instruments[i] : &xm->instruments[0];
}

// The volume envelope's value (0-64) at the channel's envelope tick.
int32_t envelope(const tarq_xm_instrument* ins, tarq_xm_channel* ch) {
  const int32_t points = ins->volume_points > TARQ_XM_ENV_POINTS ? TARQ_XM_ENV_POINTS : ins->volume_points;
  if (!(ins->volume_type & 1) || points < 1) return 64;
  const int32_t t = ch->env_tick;
  int32_t value = ins->volume_env[points - 1][1];
  for (int32_t k = 0; k + 1 < points; k++) {
    const int32_t x0 = ins->volume_env[k][0], x1 = ins->volume_env[k + 1][0];
    if (t >= x0 && t < x1) {
      const int32_t y0 = ins->volume_env[k][1], y1 = ins->volume_env[k + 1][1];
      value = y0 + (y1 - y0) * (t - x0) / (x1 - x0);
      break;
    }
  }
  if (t < ins->volume_env[0][0]) value = ins->volume_env[0][1];
  const int32_t last = ins->volume_env[points - 1][0];
  if ((ins->volume_type & 4) && ins->volume_loop_end < points && ins->volume_loop_start <= ins->volume_loop_end &&
      t >= ins->volume_env[ins->volume_loop_end][0])
    ch->env_tick = ins->volume_env[ins->volume_loop_start][0];
  else if (t < last) ch->env_tick++;
  return value < 0 ? 0 : value > 64 ? 64 : value;
}

// The first tick of a row: the order list, then every channel's cell.
bool start_row(tarq_xm_playstate* ps) {
  const tarq_xm* xm = ps->xm;
  if (ps->jump >= 0) {
    ps->order = ps->jump;
    ps->row = 0;
    ps->jump = -1;
  }
  if (ps->order >= xm->song_length) {
    int32_t to = -1;
    for (int32_t i = 0; i < xm->channels && to < 0; i++)
      if (ps->ch[i].effect == FX_JUMP) to = ps->ch[i].param < xm->song_length ? ps->ch[i].param : 0;
    if (to < 0 && !ps->loop) return false;
    ps->order = to < 0 ? 0 : to;
    ps->row = 0;
    if (xm->song_length <= 0) return false;
  }
  const int32_t p = xm->orders[ps->order];
  const tarq_xm_pattern* pat = p < xm->pattern_count ? &xm->patterns[p] : nullptr;
  for (int32_t i = 0; i < xm->channels; i++) {
    tarq_xm_channel& ch = ps->ch[i];
    const tarq_xm_cell cell = pat && ps->row < pat->rows ? pat->cell[ps->row][i] : tarq_xm_cell{};
    ch.effect = cell.effect;
    // A zero parameter repeats the last one; an empty cell (effect 0,
    // parameter 0) is no arpeggio.
    ch.param = cell.param || cell.effect == FX_ARPEGGIO ? cell.param : ch.last_param;
    if (ch.param) ch.last_param = ch.param;
    if (cell.instrument) {
      ch.instrument = cell.instrument <= xm->instrument_count ? cell.instrument : 0;
      ch.volume = instrument(xm, ch.instrument)->sample.volume;
    }
    if (cell.note > KEY_OFF) {
      ch.active = 0;
    } else if (cell.note && cell.effect == FX_PORTAMENTO) {
      ch.target = cell.note;
    } else if (cell.note || cell.instrument) {
      if (cell.note) ch.note = cell.note;
      ch.fine = 0;
      ch.pos = 0;
      ch.env_tick = 0;
      ch.active = ch.note != 0;
    }
    if (cell.volume >= 0x10 && cell.volume <= 0x50) ch.volume = cell.volume - 0x10;
    if (cell.effect == FX_JUMP) ps->jump = ch.param;
  }
  return true;
}

void apply_effects(tarq_xm_playstate* ps) {
  const tarq_xm* xm = ps->xm;
  for (int32_t i = 0; i < xm->channels; i++) {
    tarq_xm_channel& ch = ps->ch[i];
    const int32_t prm = ch.param;
    int32_t extra = 0;
    switch (ch.effect) {
      case FX_ARPEGGIO:
        if (ps->tick % 3 == 1) extra = (prm >> 4) * FINE_PER_NOTE;
        if (ps->tick % 3 == 2) extra = (prm & 15) * FINE_PER_NOTE;
        break;
      case FX_SLIDE_UP: ch.fine += prm * 16; break;
      case FX_SLIDE_DOWN: ch.fine -= prm * 16; break;
      case FX_PORTAMENTO: {
        const int32_t to = (ch.target - ch.note) * FINE_PER_NOTE;
        if (ch.target && ch.fine < to) ch.fine = ch.fine + prm * 16 > to ? to : ch.fine + prm * 16;
        if (ch.target && ch.fine > to) ch.fine = ch.fine - prm * 16 < to ? to : ch.fine - prm * 16;
        break;
      }
      case FX_VIBRATO:
        ch.vibrato_pos = (ch.vibrato_pos + (prm >> 4)) & 63;
        extra =
            static_cast<int32_t>(std::lround(std::sin(ch.vibrato_pos * 6.283185307179586 / 64.0) * (prm & 15) * 16));
        break;
      case FX_VOLUME_DOWN: ch.volume = ch.volume - prm < 0 ? 0 : ch.volume - prm; break;
      default: break;
    }
    if (ch.volume > 63 && ch.effect == FX_VOLUME_DOWN) ch.volume = 63;
    ch.volume = ch.volume < 0 ? 0 : ch.volume > 64 ? 64 : ch.volume;
    if (ch.fine > 0x100000) ch.fine = 0x100000;
    if (ch.fine < -0x100000) ch.fine = -0x100000;
    const tarq_xm_instrument* ins = instrument(xm, ch.instrument);
    const int32_t pitch =
        (ch.note - 1 + ins->sample.relative_note) * FINE_PER_NOTE + ins->sample.finetune + ch.fine + extra;
    ch.step = tarq_xm_step(pitch);
    ch.gain = ch.volume * envelope(ins, &ch);  // 0-4096
  }
}

void render_channel(tarq_xm_playstate* ps, int32_t i, int16_t* out, int32_t n) {
  tarq_xm_channel& ch = ps->ch[i];
  const tarq_xm_sample& s = instrument(ps->xm, ch.instrument)->sample;
  const int64_t loop_end = static_cast<int64_t>(s.loop_start) + s.loop_length;
  const bool loops = (s.type & 3) != 0 && s.loop_length > 0;
  for (int32_t k = 0; k < n; k++) {
    if (!ch.active || !s.data || s.length <= 0) {
      out[k] = 0;
      continue;
    }
    if ((ch.pos >> 24) >= s.length || ch.pos < 0) {  // a sample changed under a playing note
      if (!loops) {
        ch.active = 0;
        out[k] = 0;
        continue;
      }
      ch.pos = static_cast<int64_t>(s.loop_start) << 24;
    }
    const int64_t idx = ch.pos >> 24;
    int32_t value;
    if (!(s.type & TARQ_XM_SAMPLE_16BIT)) {
      value = static_cast<int32_t>(tarq_prng_random(&ps->noise, 32000));
    } else {
      const int64_t next = idx + 1 < (loops ? loop_end : s.length) ? idx + 1 : loops ? s.loop_start : idx;
      const int32_t a = s.data[idx], b = s.data[next];
      value = a + static_cast<int32_t>((static_cast<int64_t>(b - a) * ((ch.pos >> 8) & 0xffff)) >> 16);
    }
    out[k] = static_cast<int16_t>(ch.gain * value >> 12);
    ch.pos += ch.step;
    if (loops) {
      while ((ch.pos >> 24) >= loop_end) ch.pos -= static_cast<int64_t>(s.loop_length) << 24;
    } else if ((ch.pos >> 24) >= s.length) {
      ch.active = 0;
    }
  }
}

}  // namespace

// ---- the step of a pitch ----

int64_t tarq_xm_step(int32_t fine) {
  const int32_t top = OCTAVES * 12 * FINE_PER_NOTE - 1;
  if (fine < 0) fine = 0;
  if (fine > top) fine = top;
  const int32_t eighth = fine >> 4, frac = fine & 15;
  const int32_t octave = eighth / 96, k = eighth % 96;
  const double a = period_table[k], b = k < 95 ? period_table[k + 1] : period_table[0] / 2.0;
  const double p = a + (b - a) * frac / 16.0;
  const double period = p * 16.0 * 64.0 / static_cast<double>(1 << octave);
  return static_cast<int64_t>(0.5 + 916317184.0 / period / 44742.0 * 65536.0 * 256.0);
}

// ---- rendering ----

int32_t tarq_mix_xm_chunk(tarq_xm_playstate* ps, int16_t* buffer, int32_t samples) {
  if (samples > TARQ_XM_BUFFER) samples = TARQ_XM_BUFFER;
  int32_t done = 0;
  while (done < samples && ps->xm && ps->playing) {
    if (ps->samples_left <= 0) {
      if (ps->tick == 0 && !start_row(ps)) {
        ps->playing = 0;
        break;
      }
      apply_effects(ps);
      ps->samples_left = ps->samples_per_tick;
    }
    const int32_t n = ps->samples_left < samples - done ? ps->samples_left : samples - done;
    const int32_t channels = ps->xm->channels;
    for (int32_t i = 0; i < channels; i++) render_channel(ps, i, ps->buf[i], n);
    for (int32_t k = 0; k < n; k++) {
      int32_t sum = 0;
      for (int32_t i = 0; i < channels; i++) sum += ps->buf[i][k];
      sum /= 3;
      buffer[done + k] = static_cast<int16_t>(sum > 0x7fff ? 0x7fff : sum < -0x7fff ? -0x7fff : sum);
    }
    done += n;
    ps->samples_left -= n;
    if (ps->samples_left == 0 && ++ps->tick >= ps->tempo) {
      ps->tick = 0;
      ps->row++;
      const int32_t p = ps->order < ps->xm->song_length ? ps->xm->orders[ps->order] : -1;
      const int32_t rows = p >= 0 && p < ps->xm->pattern_count ? ps->xm->patterns[p].rows : TARQ_XM_ROWS;
      if (ps->row >= rows) {
        ps->row = 0;
        ps->order++;
      }
    }
  }
  for (int32_t k = done; k < samples; k++) buffer[k] = 0;
  return done;
}

// ---- the module stream ----

void tovo_xm_clear_playstate() {
  std::memset(&xm0.ps0, 0, sizeof xm0.ps0);
  xm0.ps0.jump = -1;
  xm0.tarq_current_music = nullptr;
}

void mix_in_xm(int16_t* mix, int n) {
  tarq_xm_playstate& ps0 = xm0.ps0;
  if (!xm0.tarq_current_music || !ps0.xm || !ps0.playing) return;
  const int32_t fade = tovo_sound_word_load(ms0.fade_vol);
  if (fade == 0) return;
  if (n > TARQ_XM_BUFFER) n = TARQ_XM_BUFFER;
  int16_t* xmbuf = xm0.xmbuf;
  tarq_mix_xm_chunk(&ps0, xmbuf, n);
  const int32_t gain = static_cast<int32_t>((static_cast<int64_t>(fade) * tovo_music_volume()) >> 16);
  for (int i = 0; i < n; i++) {
    const int32_t v = gain * xmbuf[i] >> 8;
    xmbuf[i] = static_cast<int16_t>(v > 0x7fff ? 0x7fff : v < -0x7fff ? -0x7fff : v);
    mix[i] = soft_knee(mix[i] + xmbuf[i]);
  }
}
