#pragma once
// The sound engine as the shell sees it: start, the audio lock, the post-mix
// hook and recording. What the engine itself calls (stop, volumes, the music
// fade, the callback) is named in engine/services.h.
#include <cstdint>

#include "engine/services.h"

// Clears the mixer, logs the mix buffer size and, unless headless, opens the
// audio device. The platform's result (0 also when no device is wanted).
int tarq_sound_init(int32_t rate, int32_t channels);

// The engine's counted, re-entrant audio lock (main thread only).
void tarq_lock_audio();
void tarq_unlock_audio();

// Console mode: mix channels 0-3 are the machine's sound-effect channels and
// 4-7 its music channels, and only those eight are heard. Read by the
// callback, so set through here once the device runs.
void tarq_set_console_mode(int32_t on);

// Called on the audio thread with each mixed buffer: samples, sample count,
// byte length. It may change the samples in place; its result is ignored.
typedef int (*tarq_post_mix_func)(int16_t* samples, int32_t count, int32_t bytes);
void tarq_set_post_mix_func(tarq_post_mix_func hook);

// Seeds the mixer's own generator (noise); sound start seeds it with 0.
void tarq_mixer_seed(uint32_t seed);
