// Music objects that name a module: creating, loading, playing, stopping and
// freeing them, and what plays now.
#include "sound/xm/xm_music_objects.h"

#include "engine/tracked_mem.h"
#include "sound/mixer/audio_lock.h"
#include "sound/mixer/mixer.h"
#include "sound/xm/xm.h"
#include "sound/xm/xm_read.h"
#include "sound/xm/xm_render.h"

namespace {

constexpr int32_t RATE = 22050;
constexpr int32_t FULL = 0x10000;

void clear_locked() {
  tarq_audio_guard lock;
  tovo_xm_clear_playstate();
}

// Gives the music a newly read module (1 when there is none).
int replace_module(tarq_music* music, tarq_xm* xm) {
  if (!xm) return 1;
  {
    // The callback may be rendering the old module: let go of it first.
    tarq_audio_guard lock;
    if (xm0.ps0.xm && xm0.ps0.xm == music->xm) tovo_xm_clear_playstate();
  }
  tarq_destroy_xm(music->xm);
  music->xm = xm;
  return 0;
}

}  // namespace

tarq_music* tarq_create_music() { return static_cast<tarq_music*>(tarq_calloc(sizeof(tarq_music))); }

void tarq_destroy_music(tarq_music* music) {
  if (!music) return;
  {
    tarq_audio_guard lock;
    if (xm0.tarq_current_music == music || xm0.ps0.music == music) tovo_xm_clear_playstate();
  }
  tarq_destroy_xm(music->xm);
  tarq_free(music);
}

int cmusic_load_from_file(tarq_music* music, tarq_file* f) {
  return music ? replace_module(music, tarq_load_xm_from_file(f)) : 1;
}

int cmusic_load(tarq_music* music, const char* path) { return music ? replace_module(music, tarq_load_xm(path)) : 1; }

void disable_music(tarq_music* music) {
  if (!music || music == xm0.tarq_current_music) clear_locked();
}

void cmusic_play(tarq_music* music, int32_t fade_ms, int32_t order, int32_t loop) {
  {
    tarq_audio_guard lock;
    tovo_xm_clear_playstate();
    if (!music || !music->xm) return;
    tarq_xm* xm = music->xm;
    tarq_xm_playstate& ps0 = xm0.ps0;
    tarq_mix_xm_init(xm, &ps0, RATE);
    const int32_t last = xm->song_length - 1;
    ps0.order = order > last ? last : order;
    if (ps0.order < 0) ps0.order = 0;
    ps0.music = music;
    ps0.loop = loop;
    ps0.playing = 1;
    xm0.tarq_current_music = music;
  }
  tovo_fade_music_to(FULL, fade_ms);
}

tarq_music* tarq_get_current_music() { return xm0.tarq_current_music; }
tarq_xm_playstate* tarq_get_xm_playstate() { return &xm0.ps0; }

int32_t tarq_music_get_fading_state() {
  tarq_audio_guard lock;
  bool playing = xm0.ps0.playing && xm0.ps0.xm;
  for (const tovo_mixer_channel& c : ms0.ch)
    if (c.music && c.cart && c.pattern != -1) playing = true;
  return playing ? tovo_fade_direction() : 0;
}
