// The mixer's history: one record per tick of the current callback, stamped
// against a smoothed estimate of when the callback's audio is heard, and the
// query that picks the record for a moment of engine time.
#include <cstring>

#include "engine/platform/audio_plat.h"
#include "sound/mixer/audio_lock.h"
#include "sound/mixer/history.h"
#include "sound/mixer/mixer.h"

namespace {

tovo_mixer_state_record hist0;

// Milliseconds that a buffer of this many bytes lasts at the device's
// format; 0 when the format is unknown.
int64_t duration_ms(int64_t bytes) {
  const tarq_audio_format in_use = tarq_audio_format_in_use();
  const int32_t rate = in_use.rate, channels = in_use.channels;
  if (rate <= 0 || channels <= 0) return 0;
  return bytes / (2 * channels) * 1000 / rate;
}

}  // namespace

void tovo_history_begin(tovo_mixer_channel* c, int n) {
  c->history_prev_t = c->history_t;
  const int64_t d = duration_ms(2 * static_cast<int64_t>(n));
  const int64_t now = tarq_sound_clock();
  int64_t t = ((d + c->history_prev_t) * 3 + now) / 4;
  if (t < now - 199) t = now - 200;
  c->history_t = static_cast<int32_t>(t);
  c->history_count = 0;
  std::memset(c->history, 0, sizeof c->history);
}

void tovo_history_add(tovo_mixer_channel* c) {
  tovo_mixer_state_record& r = c->history[c->history_count++];
  r.tick = c->tick_pos;
  r.sfx = c->sfx;
  r.note = c->sfx ? c->tick_pos / sfx_speed(c->sfx) : 0;
  r.pattern = c->pattern;
  r.counter = ms0.music_pattern_counter;
}

tovo_mixer_state_record tarq_get_tovo_mixer_state(int32_t channel, int32_t now_ms) {
  tarq_audio_guard lock;
  hist0 = tovo_mixer_state_record{};
  const tovo_mixer_channel* c = nullptr;
  if (channel == -1) {
    for (const tovo_mixer_channel& k : ms0.ch)
      if (k.sfx && k.music && k.history_count >= 1) {
        c = &k;
        break;
      }
  } else if (channel >= 0 && channel < TOVO_MIX_CHANNELS && ms0.ch[channel].history_count >= 1) {
    c = &ms0.ch[channel];
  }
  if (!c) return hist0;
  const int64_t last = c->history_count - 1;
  const int64_t span = duration_ms(ms0.last_callback_len);
  int64_t i = last;
  if (span > 0) {
    const int64_t since = static_cast<int64_t>(now_ms) - c->history_t;
    i = (since > 0 ? since : 0) * last / span;
    if (i > last) i = last;
  }
  hist0 = c->history[i];
  return hist0;
}

void tarq_take_mixer_snapshot(tovo_mixer_snapshot* snapshot, int32_t now_ms) {
  // One hold of the audio lock for all five records: the queries below take
  // it again without going to the device.
  tarq_audio_guard lock;
  for (int i = 0; i < 4; i++) {
    snapshot->voice[i] = tarq_get_tovo_mixer_state(i, now_ms);
    if (!snapshot->voice[i].sfx) snapshot->voice[i] = tarq_get_tovo_mixer_state(i + 4, now_ms);
  }
  snapshot->music = tarq_get_tovo_mixer_state(-1, now_ms);
}

int32_t tarq_snapshot_stat(const tovo_mixer_snapshot* snapshot, int32_t index, const tovo_cart_sound* cart) {
  if (index >= 46 && index <= 49) return tovo_sfx_number(snapshot->voice[index - 46].sfx, cart);
  if (index >= 50 && index <= 53) {
    const tovo_mixer_state_record& r = snapshot->voice[index - 50];
    return r.sfx ? r.note : -1;
  }
  const tovo_mixer_state_record& m = snapshot->music;
  if (!m.sfx) return 0;
  if (index == 54) return m.pattern;
  if (index == 55) return m.counter;
  if (index == 56) return m.tick;
  return 0;
}
