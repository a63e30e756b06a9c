// Sample sounds on the mixer's channels 8-15: play, query and volume.
#include <cstdint>

#include "sound/items/pod_items.h"
#include "sound/mixer/audio_lock.h"
#include "sound/mixer/mixer.h"
#include "sound/play/pcm.h"

namespace {

constexpr int FIRST_SOUND_CHANNEL = 8, FIRST_SHARED_CHANNEL = 12;

bool holds(const tarq_sound* sound) {
  return sound->channel >= 0 && sound->channel < TOVO_MIX_CHANNELS && ms0.ch[sound->channel].sound == sound;
}

// The channel a new sound goes on (the audio lock is held).
int choose_channel() {
  for (int i = FIRST_SOUND_CHANNEL; i < TOVO_MIX_CHANNELS; i++)
    if (tovo_channel_idle(&ms0.ch[i])) return i;
  int best = FIRST_SHARED_CHANNEL;
  int64_t shortest = INT64_MAX;
  for (int i = FIRST_SHARED_CHANNEL; i < TOVO_MIX_CHANNELS; i++) {
    const tarq_sound* s = ms0.ch[i].sound;
    const int64_t length = s ? s->sample_count : -1;
    if (length < shortest) {
      shortest = length;
      best = i;
    }
  }
  return best;
}

}  // namespace

void tarq_play_sound(tarq_sound* sound) {
  if (!sound) return;
  tarq_audio_guard lock;
  if (holds(sound)) tovo_clear_channel(&ms0.ch[sound->channel]);
  const int i = choose_channel();
  tovo_mixer_channel* c = &ms0.ch[i];
  if (c->sound && c->sound != sound) c->sound->channel = -1;
  tovo_clear_channel(c);
  c->sound = sound;
  c->sound_pos = 0;
  sound->channel = i;
}

int tarq_sound_is_playing(tarq_sound* sound) {
  if (!sound) return 0;
  tarq_audio_guard lock;
  return holds(sound) ? 1 : 0;
}

void csound_set_volume(tarq_sound* sound, int32_t volume) {
  if (sound) sound->volume = volume;
}

int32_t tarq_get_sound_position() { return 0; }
int32_t tarq_set_sound_position(int32_t position) { return position; }
int32_t tarq_sound_status() { return 0; }
