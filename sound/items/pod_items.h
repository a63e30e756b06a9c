#pragma once
// Sounds and synth graphs as pod items: their making and destroying (which
// the sound engine registers as the engine's item kinds, since pods hold
// them) and what the sound engine does with them besides. The records'
// layout is the engine's, as pod files store it.
#include <cstdint>

#include "engine/data/sound_items.h"

// A sound of sample_count samples of bits each (a positive multiple of 8):
// 22050 Hz, one channel, volume 256, on no mixer channel; null when it
// cannot be made.
tarq_sound* tarq_create_sound(int32_t sample_count, int32_t bits);
// Under the audio lock, a mixer channel that plays the sound lets it go
// before it is freed.
void tarq_destroy_sound(tarq_sound* sound);
uint8_t* tarq_sound_lock(tarq_sound* sound);
tarq_sound* tarq_sound_release(tarq_sound* sound);
void csound_set_frequency(tarq_sound* sound, int32_t frequency);
tarq_synth* tarq_create_synth(int32_t length);
int tarq_destroy_synth(tarq_synth* synth);

// Registers sounds and synth graphs as the engine's pod item kinds.
void tovo_register_sound_items();

// Clears the mixer channel that plays the sound.
void tarq_stop_sound(tarq_sound* sound);

// Stops and destroys the rendered sound and frees every node buffer.
void tarq_synth_clear_buffers(tarq_synth* synth);
