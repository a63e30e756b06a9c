#pragma once
// Rendering synth graphs into sounds. The player renders none: it only
// reads and frees the graphs that pods hold.
#include <cstdint>

#include "sound/items/pod_items.h"

// Renders the whole graph into `sound` (null: the synth's own sound, made
// when missing). 0 when a sound was written, 1 when the graph has no output
// or a buffer could not be made.
int tarq_synth_generate(tarq_synth* synth, tarq_sound* sound, int32_t flags);
// One node per call; 1 while more slices are due, 0 after the last one.
int tarq_synth_generate_slice(tarq_synth* synth, tarq_sound* sound, int32_t flags);
