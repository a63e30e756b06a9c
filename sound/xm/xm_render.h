#pragma once
// Starting a module's play state, and rendering or timing a whole module.
// The player starts no module.
#include <cstdint>

#include "sound/xm/xm.h"

struct tarq_sound;

void tarq_mix_xm_init(tarq_xm* xm, tarq_xm_playstate* ps, int32_t rate);
// Renders the module from its start into the sound (its length). 0 done.
int tarq_mix_xm(tarq_xm* xm, tarq_sound* sound);
int32_t tarq_calculate_xm_length(const tarq_xm* xm);
