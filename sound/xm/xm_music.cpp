// The XM player's record, and the module stream added into the mix.
#include <cstring>

#include "sound/mixer/audio_lock.h"
#include "sound/mixer/mixer.h"
#include "sound/xm/xm.h"

tarq_xm_player xm0;

void tovo_xm_clear_playstate() {
  std::memset(&xm0.ps0, 0, sizeof xm0.ps0);
  xm0.ps0.jump = -1;
  xm0.tarq_current_music = nullptr;
}

void mix_in_xm(int16_t* mix, int n) {
  tarq_xm_playstate& ps0 = xm0.ps0;
  if (!xm0.tarq_current_music || !ps0.xm || !ps0.playing) return;
  const int32_t fade = tovo_sound_word_load(ms0.fade_vol);
  if (fade == 0) return;
  if (n > TARQ_XM_BUFFER) n = TARQ_XM_BUFFER;
  int16_t* xmbuf = xm0.xmbuf;
  tarq_mix_xm_chunk(&ps0, xmbuf, n);
  const int32_t gain = static_cast<int32_t>((static_cast<int64_t>(fade) * tovo_music_volume()) >> 16);
  for (int i = 0; i < n; i++) {
    const int32_t v = gain * xmbuf[i] >> 8;
    xmbuf[i] = static_cast<int16_t>(v > 0x7fff ? 0x7fff : v < -0x7fff ? -0x7fff : v);
    mix[i] = soft_knee(mix[i] + xmbuf[i]);
  }
}
