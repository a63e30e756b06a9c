#pragma once
// The platform side of sound: SDL's audio device running the mixer callback,
// the formats asked for and in use, and the counted, re-entrant audio lock
// that main-thread code holds while it changes anything the mixer reads.
#include <cstdint>

typedef void (*tarq_audio_callback)(void* user, uint8_t* stream, int len);

// A rate in Hz and a channel count.
struct tarq_audio_format {
  int32_t rate, channels;
};

// Opens the device with the sound engine's registered mixer callback at the
// configured buffer size, then applies the configured volumes through its
// setters. 0 when sound runs or is switched off (mix_buffer_size 0);
// non-zero when the device could not be opened or no callback is registered.
int tarq_sound_init_plat(int32_t rate, int32_t channels);
// Pauses and closes the device.
int tarq_sound_exit_plat();
void tarq_lock_audio_plat();
void tarq_unlock_audio_plat();

// The device step of tarq_sound_init_plat with a given callback.
int tarq_open_audio_device(int32_t rate, int32_t channels, tarq_audio_callback callback);

// 1 once the device is open and running.
int32_t tarq_sound_inited();
// The audio lock's depth, 0 when unlocked (main thread only).
int32_t tarq_audio_lock_depth();

// The format the sound engine asked for, stored before the device starts;
// the callback mixes only while the format in use is the same. Both are read
// on the audio thread, so each word is stored and loaded atomically.
void tarq_set_audio_format_requested(int32_t rate, int32_t channels);
tarq_audio_format tarq_audio_format_requested();
// The format in use: the device's opening records what it obtained (the
// asked values where it reports 0); whoever mixes without a device sets it.
void tarq_set_audio_format_in_use(int32_t rate, int32_t channels);
tarq_audio_format tarq_audio_format_in_use();
