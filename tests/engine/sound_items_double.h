#pragma once
// A stand-in for the sound engine's pod item kinds, for the engine's tests:
// sounds and synth graphs made and freed with the engine's allocator and
// counted in tarq_loop.tarq_items_created, as the sound engine's own are, but never
// played.
#include <cstdint>

#include "engine/data/sound_items.h"

namespace tovo_test {

// A sound of count samples of bits each (a positive multiple of 8), or null.
tarq_sound* make_sound(int32_t count, int32_t bits);
// A zeroed synth graph of the length, with no output node.
tarq_synth* make_synth(int32_t length);

// Registers both kinds while it lives; removes them when it goes.
struct sound_item_kinds {
  sound_item_kinds();
  ~sound_item_kinds();
  sound_item_kinds(const sound_item_kinds&) = delete;
  sound_item_kinds& operator=(const sound_item_kinds&) = delete;
};

}  // namespace tovo_test
