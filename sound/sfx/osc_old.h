#pragma once
// An older renderer of the oscillator, and one note of a waveform rendered
// on its own. The mixer renders with mix_osc_tick_new and calls neither.
#include <cstdint>

struct tovo_osc_state;

// count samples of the main phase alone (no second oscillator, no reverb):
// each waveform's shape of the main phase (a pulse is +-6143 about its
// threshold, noise a fresh random level every sample from the mixer's
// generator) times the amplitude / 2048; the main phase advances by the
// step. Amplitude 0 gives silence and a phase of 0. A step of the mixer: it
// runs where the mixer runs, or under the audio lock.
void mix_osc_tick_old(tovo_osc_state* st, int16_t* buf, int count);

// count samples of one note of waveform 0-7 (an instrument, not a custom
// one) at pitch 0-63 and volume 0-7, held for the whole run, from a silent
// oscillator of its own: no detune, shape, noise mode or reverb. Takes the
// audio lock (the noise draws from the mixer's generator).
void generate_sfx_inst_note(int16_t* buf, int count, int32_t pitch, int32_t waveform, int32_t volume);
