#pragma once
// Music objects that name a module: creating, loading, playing, stopping and
// freeing them, and what plays now. Nothing in the player plays a module.
#include <cstdint>

#include "sound/xm/xm.h"

struct tarq_file;

tarq_music* tarq_create_music();
void tarq_destroy_music(tarq_music* music);
int cmusic_load(tarq_music* music, const char* path);
int cmusic_load_from_file(tarq_music* music, tarq_file* f);
void cmusic_play(tarq_music* music, int32_t fade_ms, int32_t order, int32_t loop);
void disable_music(tarq_music* music);
tarq_music* tarq_get_current_music();
tarq_xm_playstate* tarq_get_xm_playstate();
// While music plays (patterns or a module): 1 fading in, 2 fading out, else 0.
int32_t tarq_music_get_fading_state();
