// Stand-in sound stops: count the calls.
#include "console/sound_stop_standin.h"

int32_t tovo_standin_sfx_stops;
int32_t tovo_standin_song_stops;

void tarq_stop_sfx(tovo_sfx*) { tovo_standin_sfx_stops++; }
void tarq_stop_tovo_song(tovo_cart*) { tovo_standin_song_stops++; }
