#pragma once
// The sound engine as the engine's main loop and start-up see it: start and
// stop, the music fade, and the audio lock.
#include <cstdint>

int tarq_sound_init(int32_t rate, int32_t channels);
int tarq_sound_exit();
void tarq_update_music_fading();
void cmusic_stop(int32_t music, int32_t fade_ms);
