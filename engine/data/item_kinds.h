#pragma once
// Item types that a pod holds but a library above the engine makes and
// destroys: sounds (TARQ_ITEM_SOUND) and synth graphs (TARQ_ITEM_SYNTH),
// whose owner is the sound engine. The owner registers each kind at start-up;
// the pod reader makes such items through their kind and a pod destroys them
// through it. With no kind registered the pod reader reads past the item's
// chunk and keeps nothing.
#include <cstdint>

struct tarq_item_kind {
  // A new item, zero-filled but for what its maker sets, or null when it
  // cannot be made. The two numbers are a sound's sample count and bits per
  // sample, or a synth graph's length and 0.
  void* (*create)(int32_t size, int32_t bits);
  void (*destroy)(void* item);
};

// Registers the kind of a type that an upper library owns (a copy; null
// removes it). False, changing nothing, for any other type or a kind with a
// null entry.
bool tarq_register_item_kind(int32_t type, const tarq_item_kind* kind);

// The kind registered for the type, or null.
const tarq_item_kind* tarq_item_kind_of(int32_t type);
