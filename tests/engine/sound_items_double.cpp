#include "tests/engine/sound_items_double.h"

#include "engine/data/pod.h"
#include "engine/data/sound_items.h"

namespace tovo_test {

namespace {

void* create_sound(int32_t count, int32_t bits) { return make_sound(count, bits); }

void destroy_sound(void* item) { tarq_free_sound_record(static_cast<tarq_sound*>(item)); }

void* create_synth(int32_t length, int32_t) { return make_synth(length); }

void destroy_synth(void* item) {
  tarq_synth* synth = static_cast<tarq_synth*>(item);
  tarq_free_sound_record(synth->sound);
  tarq_free_synth_record(synth);
}

}  // namespace

tarq_sound* make_sound(int32_t count, int32_t bits) { return tarq_new_sound_record(count, bits); }

tarq_synth* make_synth(int32_t length) { return tarq_new_synth_record(length); }

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
