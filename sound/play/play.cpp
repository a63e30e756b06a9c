// Starting, stopping and asking about sound effects on the mix channels.
#include <climits>

#include "sound/mixer/audio_lock.h"
#include "sound/mixer/mixer.h"
#include "sound/play/play.h"

namespace {

// The music channel mask of the last music call (main thread only).
int32_t tarq_music_channel_mask;

// The sound-effect channel that a new sound takes in console mode, -1 none.
int choose_console_channel() {
  const int32_t mask = tarq_music_channel_mask;
  tovo_mixer_channel* ch = ms0.ch;
  for (int i = 0; i < 4; i++)
    if (tovo_channel_idle(&ch[i]) && tovo_channel_idle(&ch[i + 4])) return i;
  for (int i = 0; i < 4; i++)
    if (tovo_channel_idle(&ch[i]) && !ch[i + 4].sound && !ch[i + 4].sfx && !(mask >> i & 1)) return i;
  for (int i = 0; i < 4; i++)
    if (tovo_channel_idle(&ch[i]) && !(mask >> i & 1)) return i;
  int best = -1;
  int32_t best_speed = INT32_MAX;
  for (int i = 0; i < 4; i++) {
    if (!ch[i].sfx || ((mask >> i & 1) && !tovo_channel_idle(&ch[i + 4]))) continue;
    const int32_t speed = snd(ch[i].sfx->speed);
    if (speed <= best_speed) {
      best = i;
      best_speed = speed;
    }
  }
  return best;
}

// Outside console mode: a free channel of 8-15, else the quickest sound there.
int choose_free_channel() {
  for (int i = 8; i < TOVO_MIX_CHANNELS; i++)
    if (tovo_channel_idle(&ms0.ch[i])) return i;
  int best = -1;
  int32_t best_speed = INT32_MAX;
  for (int i = 8; i < TOVO_MIX_CHANNELS; i++) {
    const tovo_mixer_channel& c = ms0.ch[i];
    if (!c.sfx || c.music) continue;
    const int32_t speed = snd(c.sfx->speed);
    if (speed < best_speed) {
      best = i;
      best_speed = speed;
    }
  }
  return best;
}

int32_t saturate(int64_t v) { return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v); }

void stop_record(const tovo_sfx* sfx) {
  for (tovo_mixer_channel& c : ms0.ch)
    if (sfx ? c.sfx == sfx : !c.music) tovo_clear_channel(&c);
}

}  // namespace

int32_t tovo_sfx_number(const tovo_sfx* sfx, const tovo_cart_sound* cart) {
  if (!sfx || !cart) return -1;
  int32_t found = -1;
  for (int32_t i = 0; i < TOVO_SFX_COUNT; i++)
    if (&cart->sfx[i] == sfx) found = i;
  return found;
}

int tarq_play_sfx_ex(tovo_sfx* sfx, int32_t offset, int32_t length, tovo_cart_sound* cart, int32_t channel) {
  tarq_audio_guard lock;
  if (length == 0) length = -1;
  if (channel < -1 || channel >= TOVO_MIX_CHANNELS) return -1;
  const bool console = tovo_console_mode() != 0;
  if (!sfx) {
    if (channel >= 0) tovo_clear_channel(&ms0.ch[channel]);
    else
      for (int i = 0; i < (console ? 4 : TOVO_MIX_CHANNELS); i++) tovo_clear_channel(&ms0.ch[i]);
    return -1;
  }
  if (channel == -1) channel = console ? choose_console_channel() : choose_free_channel();
  if (channel < 0) return -1;
  tovo_mixer_channel& c = ms0.ch[channel];
  const int32_t s = sfx_speed(sfx);
  c.tick_pos = saturate(static_cast<int64_t>(s) * (offset < 0 ? 0 : offset));
  c.cart = cart;
  c.sfx = sfx;
  c.end = saturate(static_cast<int64_t>(s) * length);
  c.music = 0;
  c.looping = 1;
  c.number = channel & 3;
  return channel;
}

int tarq_play_sfx(tovo_sfx* sfx, tovo_cart_sound* cart) {
  {
    tarq_audio_guard lock;
    stop_record(sfx);
  }
  int32_t length = 32;
  if (sfx) {
    const int32_t ls = snd(sfx->loop_start), le = snd(sfx->loop_end);
    if (le == 0 && ls > 0) length = ls;
    else if (ls < le) length = -1;
  }
  return tarq_play_sfx_ex(sfx, 0, length, cart, -1);
}

void tarq_stop_sfx(tovo_sfx* sfx) {
  tarq_audio_guard lock;
  stop_record(sfx);
}

void tarq_stop_all_sounds() {
  tarq_audio_guard lock;
  for (tovo_mixer_channel& c : ms0.ch) tovo_clear_channel(&c);
}

void tarq_release_looping_tovo_channel(int32_t channel) {
  tarq_audio_guard lock;
  if (channel == -1)
    for (tovo_mixer_channel& c : ms0.ch) c.looping = 0;
  else if (channel >= 0 && channel < TOVO_MIX_CHANNELS) ms0.ch[channel].looping = 0;
}

tovo_sfx* tarq_get_tovo_channel_sfx(int32_t channel) {
  tarq_audio_guard lock;
  return channel >= 0 && channel < TOVO_MIX_CHANNELS ? ms0.ch[channel].sfx : nullptr;
}

int32_t tarq_get_sfx_playing_note(const tovo_sfx* sfx) {
  tarq_audio_guard lock;
  if (!sfx) return -1;
  for (const tovo_mixer_channel& c : ms0.ch)
    if (c.sfx == sfx) return c.tick_pos / sfx_speed(sfx);
  return -1;
}

void tarq_set_music_channel_mask(int32_t mask) { tarq_music_channel_mask = mask; }

int32_t tarq_sound_stat(int32_t index, const tovo_cart_sound* cart) {
  tarq_audio_guard lock;
  if (index >= 16 && index <= 19) {
    const int32_t n = tovo_sfx_number(tarq_get_tovo_channel_sfx(index - 16), cart);
    return n >= 0 ? n : tovo_sfx_number(tarq_get_tovo_channel_sfx(index - 12), cart);
  }
  if (index >= 20 && index <= 23) {
    const tovo_sfx* sfx = tarq_get_tovo_channel_sfx(index - 20);
    if (!sfx) sfx = tarq_get_tovo_channel_sfx(index - 16);
    return tarq_get_sfx_playing_note(sfx);
  }
  if (index >= 24 && index <= 26) {
    if (!tarq_music_is_playing()) return -1;
    if (index == 24) return ms0.music_pattern;
    if (index == 25) return ms0.music_pattern_counter;
    return tarq_get_tovo_song_ticks();
  }
  return 0;
}
