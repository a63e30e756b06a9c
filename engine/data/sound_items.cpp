// Sound and synth records: made and freed with the engine's allocator; the
// table of their item kinds, which the sound engine registers.
#include "engine/data/sound_items.h"

#include "engine/data/pod.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"

tarq_sound* tarq_new_sound_record(int32_t sample_count, int32_t bits) {
  if (sample_count < 0 || bits < 8 || bits % 8 != 0) return nullptr;
  int64_t bytes = static_cast<int64_t>(sample_count) * (bits / 8);
  if (bytes > TARQ_MEM_LIMIT) return nullptr;
  tarq_sound* sound = static_cast<tarq_sound*>(tarq_calloc(sizeof(tarq_sound)));
  if (!sound) return nullptr;
  sound->data = static_cast<uint8_t*>(tarq_malloc(static_cast<size_t>(bytes)));
  if (!sound->data) {
    tarq_free(sound);
    return nullptr;
  }
  sound->sample_count = sample_count;
  sound->bits = bits;
  sound->frequency = 22050;
  sound->channels = 1;
  sound->volume = 256;
  sound->channel = -1;
  tarq_item_created();
  return sound;
}

void tarq_free_sound_record(tarq_sound* sound) {
  if (!sound) return;
  tarq_free(sound->data);
  tarq_free(sound);
  tarq_item_destroyed();
}

tarq_synth* tarq_new_synth_record(int32_t length) {
  tarq_synth* synth = static_cast<tarq_synth*>(tarq_calloc(sizeof(tarq_synth)));
  if (!synth) return nullptr;
  synth->header[0] = static_cast<int32_t>(static_cast<uint32_t>(length) * 4u);
  synth->output = -1;
  tarq_item_created();
  return synth;
}

void tarq_free_synth_record(tarq_synth* synth) {
  if (!synth) return;
  for (tarq_synth_node& node : synth->node) tarq_free(node.buffer);
  tarq_free(synth);
  tarq_item_destroyed();
}

// The table of item kinds that upper libraries own.
namespace {

struct kind_slot {
  bool registered;
  tarq_item_kind kind;
};

kind_slot kinds[TARQ_ITEM_APPLICATION];

bool owned_above(int32_t type) { return type == TARQ_ITEM_SOUND || type == TARQ_ITEM_SYNTH; }

}  // namespace

bool tarq_register_item_kind(int32_t type, const tarq_item_kind* kind) {
  if (!owned_above(type)) return false;
  if (!kind) {
    kinds[type] = {};
    return true;
  }
  if (!kind->create || !kind->destroy) return false;
  kinds[type] = {true, *kind};
  return true;
}

const tarq_item_kind* tarq_item_kind_of(int32_t type) {
  if (type < 0 || type >= TARQ_ITEM_APPLICATION || !kinds[type].registered) return nullptr;
  return &kinds[type].kind;
}
