// Starting a module's play state, and rendering or timing a whole module.
#include "sound/xm/xm_render.h"

#include <cstring>

#include "engine/data/prng.h"
#include "engine/tracked_mem.h"
#include "sound/items/pod_items.h"
#include "sound/xm/xm.h"

namespace {

int32_t bpm_of(int32_t bpm) { return bpm < 1 ? 1 : bpm; }
int32_t tempo_of(int32_t tempo) { return tempo < 1 ? 1 : tempo; }

}  // namespace

void tarq_mix_xm_init(tarq_xm* xm, tarq_xm_playstate* ps, int32_t rate) {
  std::memset(ps->ch, 0, sizeof ps->ch);
  ps->xm = xm;
  ps->order = ps->row = ps->tick = 0;
  ps->jump = -1;
  ps->samples_left = 0;
  ps->tempo = xm ? tempo_of(xm->tempo) : 1;
  ps->samples_per_tick = xm ? rate * 5 / (bpm_of(xm->bpm) * 2) : 0;
  if (ps->samples_per_tick < 1) ps->samples_per_tick = 1;
  tarq_prng_seed(&ps->noise, 0);
}

int tarq_mix_xm(tarq_xm* xm, tarq_sound* sound) {
  if (!xm || !sound || sound->bits != 16) return 1;
  tarq_xm_playstate* ps = static_cast<tarq_xm_playstate*>(tarq_calloc(sizeof(tarq_xm_playstate)));
  if (!ps) return 1;
  tarq_mix_xm_init(xm, ps, 22050);
  ps->playing = 1;
  int16_t* out = reinterpret_cast<int16_t*>(sound->data);
  for (int32_t at = 0; at < sound->sample_count; at += TARQ_XM_BUFFER) {
    const int32_t n = sound->sample_count - at < TARQ_XM_BUFFER ? sound->sample_count - at : TARQ_XM_BUFFER;
    tarq_mix_xm_chunk(ps, out + at, n);
  }
  tarq_free(ps);
  return 0;
}

int32_t tarq_calculate_xm_length(const tarq_xm* xm) {
  if (!xm) return 0;
  const int64_t n = static_cast<int64_t>(xm->song_length) * (110250 / (bpm_of(xm->bpm) * 2)) * tempo_of(xm->tempo) * 64;
  return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n);
}
