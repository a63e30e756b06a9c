// Stand-in for the sound engine: no audio device is opened and no music
// plays, so there is nothing to fade or stop.
#include <cstdio>

#include "engine/config.h"
#include "engine/log.h"
#include "sound/sound.h"

int tarq_sound_init(int32_t, int32_t) {
  snprintf(tarq_debug_string, sizeof(tarq_debug_string), "tarq_sound_init mix_buffer_size: %d\n",
           (int)cconfig.mix_buffer_size);
  tarq_debug(tarq_debug_string);
  return 0;
}

int tarq_sound_exit() { return 0; }
void tarq_update_music_fading() {}
void cmusic_stop(int32_t, int32_t) {}
