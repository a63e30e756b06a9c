// The table of item kinds that upper libraries own.
#include "engine/data/item_kinds.h"

#include "engine/data/pod.h"

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
