// The oscillator state of one tick: the note at the tick position with its
// effect, its custom instrument, the registers and the flags of the sound.
#include "sound/mixer/mixer.h"

namespace {

// Hz of the twelve notes from C and of the next C.
constexpr int32_t note_dx[13] = {523, 554, 587, 622, 659, 698, 740, 784, 831, 880, 932, 984, 1046};
constexpr int32_t vibrato_both[8] = {128, 130, 132, 130, 128, 126, 124, 126};
constexpr int32_t vibrato_one[8] = {128, 129, 130, 129, 128, 127, 126, 127};
constexpr int32_t MIX_RATE = 22050;
// A step is added to a 16-bit phase each sample: MAX_STEP runs a period in
// two samples, MIN_STEP keeps the lowest notes moving.
constexpr int32_t MIN_STEP = 8, MAX_STEP = 0x8000;

int32_t quot(int64_t a, int64_t b) { return static_cast<int32_t>(a / b); }

// Volume v plays at amplitude v * VOLUME_STEP (TOVO_FULL_AMP at volume 7).
constexpr int32_t VOLUME_STEP = 256;
constexpr int32_t TOP_VOLUME = 7;
// A slide on the first note starts from this pitch; an instrument's notes
// sound relative to it (an instrument note at this pitch plays the note's).
constexpr int32_t BASE_PITCH = 24;
// An instrument's sound effect stops at its last note; a looping one runs on
// for as long as anything will ask.
constexpr int32_t LOOPING_LENGTH = 0x1000000;

// The pitch of an arpeggio note: note (i & 0x1c) + (position / rate) mod 4.
int32_t arpeggio_pitch(const tovo_sfx* s, int32_t i, int32_t position, int32_t rate) {
  return snd(s->notes[(i & 0x1c) + (position / rate) % 4].pitch) << 16;
}

int32_t instrument_of(int32_t waveform) {
  return waveform < 0 ? 0 : waveform > TOVO_INSTRUMENTS - 1 ? TOVO_INSTRUMENTS - 1 : waveform;
}

void apply_meta_instrument(tovo_mixer_channel* c, const tovo_note* note, tovo_osc_state* st) {
  const tovo_sfx* inst = &c->cart->sfx[instrument_of(snd(note->waveform))];
  const int32_t raw_speed = snd(inst->speed);
  const int32_t speed = sfx_speed(inst), loop_start = snd(inst->loop_start), loop_end = snd(inst->loop_end);
  int32_t ticks = c->inst_ticks;
  if (loop_start < loop_end && ticks >= speed * loop_end) c->inst_ticks = ticks = speed * loop_start;
  const int32_t index = ticks / speed;
  if (index > TOVO_SFX_NOTES - 1 || (index >= loop_start && loop_end == 0 && loop_start > 0)) {
    st->amp = 0;
    st->waveform = TOVO_WAVE_TRIANGLE;
    return;
  }
  const tovo_note* inst_note = &inst->notes[index];
  const int32_t pitch = snd(inst_note->pitch), waveform = snd(inst_note->waveform);
  const int32_t volume = snd(inst_note->volume), effect = snd(inst_note->effect);
  const int32_t tick = ticks % speed;  // within the instrument note
  if (tick == (raw_speed <= 0 ? 0 : raw_speed - 1)) {
    c->prev_inst_pitch = pitch;
    c->prev_inst_waveform = waveform;
    c->prev_inst_volume = volume;
  }
  int32_t amp = volume * VOLUME_STEP, offset = pitch << 16;
  switch (effect) {
    case TOVO_EFFECT_SLIDE: {
      const int32_t from_pitch = index == 0 ? BASE_PITCH : c->prev_inst_pitch;
      const int32_t from_volume = index == 0 ? volume : c->prev_inst_volume;
      amp = quot(static_cast<int64_t>(amp) * tick + static_cast<int64_t>(speed - tick) * from_volume * VOLUME_STEP,
                 speed);
      offset =
          quot((static_cast<int64_t>(pitch) * tick << 16) + (static_cast<int64_t>(from_pitch) << 16) * (speed - tick),
               speed);
      break;
    }
    case TOVO_EFFECT_DROP: st->inst_drop = (speed - tick) * 256 / speed; break;
    case TOVO_EFFECT_FADE_IN: amp = quot(static_cast<int64_t>(amp) * tick, speed); break;
    case TOVO_EFFECT_FADE_OUT: amp = quot(static_cast<int64_t>(speed - tick) * amp, speed); break;
    case TOVO_EFFECT_ARPEGGIO_FAST: offset = arpeggio_pitch(inst, index, ticks, raw_speed < 9 ? 2 : 4); break;
    case TOVO_EFFECT_ARPEGGIO_SLOW: offset = arpeggio_pitch(inst, index, ticks, raw_speed < 9 ? 4 : 8); break;
    default: break;
  }
  st->ipitch += pitch - BASE_PITCH;
  st->pitch = wrap_add(st->pitch, offset - (BASE_PITCH << 16));
  st->waveform = waveform;
  st->inst_effect = effect;
  st->inst_flags = snd(inst->flags);
  st->amp = amp * st->amp / TOVO_FULL_AMP;
  st->spike = amp * TOP_VOLUME / (volume > 1 ? volume : 1);
}

// On the first tick of a custom note: whether its instrument starts again.
void decide_instrument_restart(tovo_mixer_channel* c, int32_t index, int32_t pitch, int32_t effect, int32_t waveform) {
  const tovo_sfx* inst = &c->cart->sfx[instrument_of(waveform)];
  const int32_t length = sfx_loops(inst) ? LOOPING_LENGTH : sfx_length(inst) * sfx_speed(inst);
  const bool fresh = !(effect == TOVO_EFFECT_SLIDE || (index != 0 && pitch == c->prev_pitch));
  const bool same_waveform = waveform == c->prev_waveform;
  bool goes_on;
  if (c->inst_ticks < length && !fresh)
    goes_on = effect != TOVO_EFFECT_DROP && effect != TOVO_EFFECT_FADE_IN && same_waveform;
  else goes_on = effect == TOVO_EFFECT_DROP && same_waveform;
  if (!goes_on) c->inst_ticks = 0;
}

}  // namespace

int32_t tovo_pitch_step(int32_t pitch) {
  const int32_t q = pitch >> 16, frac = pitch & 0xffff;
  const int32_t octave = (q + 48) / 12 - 4;
  const int32_t k = q >= 0 ? q % 12 : (12 - (-q) % 12) % 12;
  int64_t step =
      (static_cast<int64_t>(note_dx[k]) * (0x10000 - frac) + static_cast<int64_t>(note_dx[k + 1]) * frac) / MIX_RATE;
  for (int o = octave; o < 3; o++) step /= 2;
  for (int o = 3; o < octave && step <= MAX_STEP - 1; o++) step *= 2;
  if (step < MIN_STEP) return MIN_STEP;
  if (step > MAX_STEP - 1) return MAX_STEP;
  return static_cast<int32_t>(step);
}

void calculate_osc_state(tovo_mixer_channel* c, tovo_osc_state* st) {
  const tovo_sfx* sfx = c->sfx;
  const int32_t speed = sfx ? sfx_speed(sfx) : 1;
  const int32_t index = sfx ? c->tick_pos / speed : -1;
  if (!sfx || index < 0 || index > TOVO_SFX_NOTES - 1) {
    st->amp = 0;
    st->waveform = TOVO_WAVE_TRIANGLE;
    st->step = 0;
    return;
  }
  const int32_t tick = c->tick_pos % speed;  // within the note
  const int32_t fast = speed <= 8 ? 2 : 4, slow = speed <= 8 ? 4 : 8;
  const tovo_note* note = &sfx->notes[index];
  const int32_t pitch = snd(note->pitch), waveform = snd(note->waveform), volume = snd(note->volume);
  const int32_t effect = snd(note->effect), custom = snd(note->custom);
  st->waveform = waveform;
  st->note_volume = volume;
  st->note_pitch = pitch;
  st->note_waveform = waveform;
  st->amp = volume * VOLUME_STEP;
  st->pitch = pitch << 16;
  switch (effect) {
    case TOVO_EFFECT_SLIDE: {
      const int32_t from_pitch = index == 0 ? BASE_PITCH : c->prev_pitch;
      const int32_t from_volume = index == 0 ? volume : c->prev_volume;
      st->pitch =
          quot((static_cast<int64_t>(from_pitch) << 16) * (speed - tick) + (static_cast<int64_t>(pitch) << 16) * tick,
               speed);
      st->amp = quot(static_cast<int64_t>(volume) * VOLUME_STEP * tick +
                         static_cast<int64_t>(speed - tick) * from_volume * VOLUME_STEP,
                     speed);
      break;
    }
    case TOVO_EFFECT_FADE_IN: st->amp = quot(static_cast<int64_t>(volume) * VOLUME_STEP * tick, speed); break;
    case TOVO_EFFECT_FADE_OUT: st->amp = quot(static_cast<int64_t>(speed - tick) * volume * VOLUME_STEP, speed); break;
    case TOVO_EFFECT_ARPEGGIO_FAST: st->pitch = arpeggio_pitch(sfx, index, c->tick_pos, fast); break;
    case TOVO_EFFECT_ARPEGGIO_SLOW: st->pitch = arpeggio_pitch(sfx, index, c->tick_pos, slow); break;
    default: break;  // vibrato and drop change the step below
  }
  st->ipitch = pitch;
  st->spike = st->amp;
  st->inst_effect = TOVO_EFFECT_NONE;
  st->inst_flags = 0;
  if (custom) {
    if (tick == 0) decide_instrument_restart(c, index, pitch, effect, waveform);
    apply_meta_instrument(c, note, st);
  } else {
    c->inst_ticks = 0;
  }
  const int32_t speed_reg = tovo_sound_reg(TOVO_SOUND_REG_SPEED);
  if (sound_reg_second_bit(speed_reg, c->number)) st->pitch = wrap_add(st->pitch, -(12 << 16));  // an octave down

  int32_t step = tovo_pitch_step(st->pitch);
  const int32_t phase = (c->tick_pos >> 1) & 7;
  const bool vibrato = effect == TOVO_EFFECT_VIBRATO, inst_vibrato = st->inst_effect == TOVO_EFFECT_VIBRATO;
  if (vibrato || inst_vibrato) step = step * (vibrato && inst_vibrato ? vibrato_both : vibrato_one)[phase] >> 7;
  if (!vibrato) {
    if (!custom && effect == TOVO_EFFECT_DROP) step = quot(static_cast<int64_t>(step) * (speed - tick), speed);
    if (st->inst_effect == TOVO_EFFECT_DROP) step = step * st->inst_drop / 256;
  }
  st->step = step;

  if (c->music) st->amp = (st->amp * (tovo_sound_word_load(ms0.fade_vol) >> 8)) / 256 * tovo_music_volume() / 256;

  const int32_t flags = snd(sfx->flags), iflags = st->inst_flags;
  auto larger = [](int32_t a, int32_t b) { return a > b ? a : b; };
  st->detune = larger(flag_digit(flags, 0), flag_digit(iflags, 0));
  st->shape = larger(flags >> 2 & 1, iflags >> 2 & 1);
  st->noise_mode = larger(flags >> 1 & 1, iflags >> 1 & 1);
  if (st->waveform == TOVO_WAVE_NOISE && st->noise_mode && c->lowpass > 11) {
    st->noise_mode = 2;
    c->lowpass = 0;
  }

  const int32_t detune = st->detune;
  auto scale = [step](int32_t num) { return static_cast<int32_t>((static_cast<int64_t>(step) * num) >> 8); };
  if (detune == 0) st->step2 = st->waveform == TOVO_WAVE_DETUNED_TRIANGLE ? scale(254) : step;
  else if (st->waveform == TOVO_WAVE_TRIANGLE) st->step2 = scale(detune == 1 ? 193 : 384);
  else if (st->waveform == TOVO_WAVE_DETUNED_TRIANGLE) st->step2 = scale(detune == 1 ? 250 : 508);
  else st->step2 = scale(255);
  if (detune >= 1 && st->waveform >= TOVO_WAVE_TRIANGLE && st->waveform <= TOVO_WAVE_FOLD) st->amp = st->amp * 5 / 4;

  int32_t reverb = larger(flag_digit(flags, 1), flag_digit(iflags, 1));
  const int32_t reverb_reg = tovo_sound_reg(TOVO_SOUND_REG_REVERB);
  if (sound_reg_second_bit(reverb_reg, c->number)) reverb = larger(reverb, 1);
  if (sound_reg_bit(reverb_reg, c->number)) reverb = 2;
  st->reverb = reverb;
}
