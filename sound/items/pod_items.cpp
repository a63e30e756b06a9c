// Sounds and synths as pod items: made by the pod reader, freed with their
// pod, and let go by any mixer channel that plays them first.
#include "sound/items/pod_items.h"
#include "engine/data/pod.h"
#include "engine/data/sound_items.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"
#include "sound/mixer/audio_lock.h"
#include "sound/mixer/mixer.h"

namespace {

void* create_sound_item(int32_t sample_count, int32_t bits) { return tarq_create_sound(sample_count, bits); }
void destroy_sound_item(void* item) { tarq_destroy_sound(static_cast<tarq_sound*>(item)); }
void* create_synth_item(int32_t length, int32_t) { return tarq_create_synth(length); }
void destroy_synth_item(void* item) { tarq_destroy_synth(static_cast<tarq_synth*>(item)); }

// The channel that plays the sound, or null (the audio lock is held).
tovo_mixer_channel* channel_of(const tarq_sound* sound) {
  if (sound->channel < 0 || sound->channel >= TOVO_MIX_CHANNELS) return nullptr;
  tovo_mixer_channel* c = &ms0.ch[sound->channel];
  return c->sound == sound ? c : nullptr;
}

}  // namespace

tarq_sound* tarq_create_sound(int32_t sample_count, int32_t bits) { return tarq_new_sound_record(sample_count, bits); }

void tarq_destroy_sound(tarq_sound* sound) {
  if (!sound) return;
  {
    tarq_audio_guard lock;
    if (tovo_mixer_channel* c = channel_of(sound)) {
      tovo_clear_channel(c);
      sound->channel = -1;
    }
  }
  tarq_free_sound_record(sound);
}

uint8_t* tarq_sound_lock(tarq_sound* sound) { return sound->data; }
tarq_sound* tarq_sound_release(tarq_sound* sound) { return sound; }

void csound_set_frequency(tarq_sound* sound, int32_t frequency) {
  if (sound) sound->frequency = frequency;
}

void tarq_stop_sound(tarq_sound* sound) {
  if (!sound) return;
  tarq_audio_guard lock;
  if (tovo_mixer_channel* c = channel_of(sound)) tovo_clear_channel(c);
}

tarq_synth* tarq_create_synth(int32_t length) { return tarq_new_synth_record(length); }

void tarq_synth_clear_buffers(tarq_synth* synth) {
  if (!synth) return;
  tarq_stop_sound(synth->sound);
  tarq_destroy_sound(synth->sound);
  synth->sound = nullptr;
  for (tarq_synth_node& node : synth->node) {
    tarq_free(node.buffer);
    node.buffer = nullptr;
  }
}

int tarq_destroy_synth(tarq_synth* synth) {
  if (!synth) return 0;
  tarq_synth_clear_buffers(synth);
  tarq_free_synth_record(synth);
  return 0;
}

void tovo_register_sound_items() {
  const tarq_item_kind sound = {create_sound_item, destroy_sound_item};
  const tarq_item_kind synth = {create_synth_item, destroy_synth_item};
  tarq_register_item_kind(TARQ_ITEM_SOUND, &sound);
  tarq_register_item_kind(TARQ_ITEM_SYNTH, &synth);
}
