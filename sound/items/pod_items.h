#pragma once
// Sounds and synth graphs as pod items: the records, their making and
// destroying (which the engine names, since its pods hold them) and what the
// sound engine does with them besides.
#include <cstdint>

#include "engine/services.h"

// Clears the mixer channel that plays the sound.
void tarq_stop_sound(tarq_sound* sound);

// Stops and destroys the rendered sound and frees every node buffer.
void tarq_synth_clear_buffers(tarq_synth* synth);
