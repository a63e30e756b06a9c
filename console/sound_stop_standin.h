#pragma once
// Stand-in for the sound engine's stop routines until the mixer exists: no
// channel plays, so there is nothing to stop; the calls are counted so that
// the cart's destruction order can be checked.
#include <cstdint>

struct tovo_cart;
struct tovo_sfx;

// Clears every channel that plays this sound-effect record.
void tarq_stop_sfx(tovo_sfx* sfx);
// Clears every music channel that plays from this cart.
void tarq_stop_tovo_song(tovo_cart* cart);

extern int32_t tovo_standin_sfx_stops;   // tarq_stop_sfx calls so far
extern int32_t tovo_standin_song_stops;  // tarq_stop_tovo_song calls so far
