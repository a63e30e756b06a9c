#pragma once
// Sounds and synth graphs as pod items: the records, their making and
// destroying (which the engine names, since its pods hold them) and what the
// sound engine does with them besides.
#include <cstdint>

#include "engine/services.h"

// Clears the mixer channel that plays the sound.
void tarq_stop_sound(tarq_sound* sound);
// Stops the sound where it plays and starts it from its beginning on the
// first idle channel of 8-15; with all eight busy, on the one of 12-15 whose
// sample sound is shortest (or that holds none).
void tarq_play_sound(tarq_sound* sound);
// 1 while a mixer channel plays the sound.
int tarq_sound_is_playing(tarq_sound* sound);
void csound_set_volume(tarq_sound* sound, int32_t volume);
// Stand-ins kept for callers: no position or status is tracked.
int32_t tarq_get_sound_position();
int32_t tarq_set_sound_position(int32_t position);
int32_t tarq_sound_status();

// Stops and destroys the rendered sound and frees every node buffer.
void tarq_synth_clear_buffers(tarq_synth* synth);
// Renders the whole graph into `sound` (null: the synth's own sound, made
// when missing). 0 when a sound was written, 1 when the graph has no output
// or a buffer could not be made.
int tarq_synth_generate(tarq_synth* synth, tarq_sound* sound, int32_t flags);
// One node per call; 1 while more slices are due, 0 after the last one.
int tarq_synth_generate_slice(tarq_synth* synth, tarq_sound* sound, int32_t flags);
