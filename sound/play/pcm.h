#pragma once
// Sample sounds on the mixer's channels 8-15: play, query and volume. The
// player plays no sample sounds.
#include <cstdint>

#include "sound/items/pod_items.h"

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
