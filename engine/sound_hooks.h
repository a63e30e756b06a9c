#pragma once
// What the engine calls of the sound engine above it: the main loop's music
// fade, the stop and close at shutdown, the audio device's callback and the
// volumes the device applies when it opens. The sound engine registers them
// at start-up; until then (and in a program without sound) every call is
// skipped and no device opens.
#include <cstdint>

struct tarq_sound_hooks {
  // Advances a music fade by engine time; stops the music when it reaches 0.
  void (*update_music_fading)();
  // Fades the music out over fade_ms (0: stops at once). The first argument
  // is not used.
  void (*music_stop)(int32_t music, int32_t fade_ms);
  // Pauses and closes the device: after it returns the callback never runs.
  int (*sound_exit)();
  // The device's callback: len bytes of samples into stream.
  void (*mixer_callback)(void* user, uint8_t* stream, int len);
  // Volumes 0-256 (256 = unity), read by the callback without the lock.
  void (*set_sound_volume)(int32_t v);
  void (*set_music_volume)(int32_t v);
};

// The hooks registered, all null when none.
extern tarq_sound_hooks tarq_sound_engine;

// Registers the sound engine's hooks (a copy); an entry left null is not
// called.
void tarq_set_sound_hooks(const tarq_sound_hooks& hooks);
