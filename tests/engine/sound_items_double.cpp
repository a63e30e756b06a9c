#include "tests/engine/sound_items_double.h"

#include "engine/data/item_kinds.h"
#include "engine/data/pod.h"
#include "engine/mem.h"
#include "engine/tarq.h"

namespace tovo_test {

namespace {

void* create_sound(int32_t count, int32_t bits) { return make_sound(count, bits); }

void destroy_sound(void* item) {
  tarq_sound* sound = static_cast<tarq_sound*>(item);
  tarq_free(sound->data);
  tarq_free(sound);
  tarq_items_created--;
}

void* create_synth(int32_t length, int32_t) { return make_synth(length); }

void destroy_synth(void* item) {
  tarq_synth* synth = static_cast<tarq_synth*>(item);
  if (synth->sound) destroy_sound(synth->sound);
  for (tarq_synth_node& node : synth->node) tarq_free(node.buffer);
  tarq_free(synth);
  tarq_items_created--;
}

}  // namespace

tarq_sound* make_sound(int32_t count, int32_t bits) {
  if (count < 0 || bits < 8 || bits % 8 != 0) return nullptr;
  int64_t bytes = static_cast<int64_t>(count) * (bits / 8);
  if (bytes > TARQ_MEM_LIMIT) return nullptr;
  tarq_sound* sound = static_cast<tarq_sound*>(tarq_calloc(sizeof(tarq_sound)));
  if (!sound) return nullptr;
  sound->data = static_cast<uint8_t*>(tarq_malloc(static_cast<size_t>(bytes)));
  if (!sound->data) {
    tarq_free(sound);
    return nullptr;
  }
  sound->sample_count = count;
  sound->bits = bits;
  sound->frequency = 22050;
  sound->channels = 1;
  sound->volume = 256;
  sound->channel = -1;
  tarq_items_created++;
  return sound;
}

tarq_synth* make_synth(int32_t length) {
  tarq_synth* synth = static_cast<tarq_synth*>(tarq_calloc(sizeof(tarq_synth)));
  if (!synth) return nullptr;
  synth->header[0] = static_cast<int32_t>(static_cast<uint32_t>(length) * 4u);
  synth->output = -1;
  tarq_items_created++;
  return synth;
}

sound_item_kinds::sound_item_kinds() {
  const tarq_item_kind sound = {create_sound, destroy_sound};
  const tarq_item_kind synth = {create_synth, destroy_synth};
  tarq_register_item_kind(TARQ_ITEM_SOUND, &sound);
  tarq_register_item_kind(TARQ_ITEM_SYNTH, &synth);
}

sound_item_kinds::~sound_item_kinds() {
  tarq_register_item_kind(TARQ_ITEM_SOUND, nullptr);
  tarq_register_item_kind(TARQ_ITEM_SYNTH, nullptr);
}

}  // namespace tovo_test
