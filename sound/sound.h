#pragma once
// The sound engine as the shell sees it: registration with the engine, start
// and stop, the audio lock, the music fade, volumes, the post-mix hook and
// recording.
#include <cstdint>

// Plugs the sound engine into the engine: registers the hooks the engine
// calls (the music fade, the stop and close at shutdown, the device's
// callback and volumes) and sounds and synth graphs as pod item kinds. The
// program calls it at start-up, before it reads any pod; tarq_sound_init
// calls it too. Calling it again changes nothing.
void tarq_sound_register();

// Clears the mixer, logs the mix buffer size and, unless headless, opens the
// audio device. The platform's result (0 also when no device is wanted).
int tarq_sound_init(int32_t rate, int32_t channels);
// Pauses and closes the device: after it returns the callback never runs.
int tarq_sound_exit();

// The audio device's callback: len bytes of mixed 16-bit samples.
void tarq_mixer_callback(void* user, uint8_t* stream, int len);

// Advances a music fade by engine time; stops the music when it reaches 0.
void tarq_update_music_fading();
// Fades the music out over fade_ms (0: stops at once). The first argument is
// not used.
void cmusic_stop(int32_t music, int32_t fade_ms);

// Volumes 0-256 (256 = unity), read by the callback without the lock.
// The sound volume is stored only while the device is open.
void tarq_set_sound_volume(int32_t v);
void tarq_set_music_volume(int32_t v);

// The engine's counted, re-entrant audio lock (main thread only).
void tarq_lock_audio();
void tarq_unlock_audio();

// Console mode: mix channels 0-3 are the machine's sound-effect channels and
// 4-7 its music channels, and only those eight are heard. Read by the
// callback, so set through here once the device runs.
void tarq_set_console_mode(int32_t on);

// The audio-pause word: while it is non-zero the mixer (and the machine's
// serial audio output) gives silence. The shell sets it while a program is
// suspended or the pause menu holds the sound; read by the callback.
int32_t tarq_audio_pause();
void tarq_set_audio_pause(int32_t word);

// Called on the audio thread with each mixed buffer: samples, sample count,
// byte length. It may change the samples in place; its result is ignored.
typedef int (*tarq_post_mix_func)(int16_t* samples, int32_t count, int32_t bytes);
void tarq_set_post_mix_func(tarq_post_mix_func hook);

// Seeds the mixer's own generator (noise); sound start seeds it with 0.
void tarq_mixer_seed(uint32_t seed);
