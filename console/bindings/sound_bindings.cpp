// sfx and music: arguments checked and passed to the sound engine.
#include "console/bindings/api_bindings.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/spend_cpu.h"
#include "engine/tarq.h"
#include "script/api/api.h"
#include "sound/play/play.h"
#include "sound/sound.h"

namespace {

int32_t int_arg(lua_State* L, int i) { return lua_tonumberx(L, i, nullptr) >> 16; }
int32_t clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// A suspended program leaves the audio-pause word set: with no cart
// running, a sound call first stops everything and clears it.
void clear_audio_pause() {
  if (run_state().running || !tarq_audio_pause()) return;
  cmusic_stop(0, 0);
  tarq_stop_all_sounds();
  tarq_set_audio_pause(0);
}

}  // namespace

int kx_sfx(lua_State* L) {
  clear_audio_pause();
  int top = lua_gettop(L);
  if (top == 0 || !pstate().cart) return 0;
  int32_t channel = -1;
  if (top >= 2) {
    int32_t v = lua_tonumberx(L, 2, nullptr);
    if (v < -0x20000 || v >= 0x40000) return 0;
    channel = v >> 16;
  }
  int32_t offset = int_arg(L, 3), length = int_arg(L, 4);
  int32_t c = channel == -2 ? -1 : channel;
  int32_t nv = lua_tonumberx(L, 1, nullptr);
  int32_t n = nv >> 16;
  tovo_sfx* effects = pstate().cart->sfx;
  if (n == -1) {
    tarq_play_sfx_ex(nullptr, 0, 0, pstate().cart, c);
  } else if (n == -2) {
    tarq_release_looping_tovo_channel(c);
  } else if (channel == -2) {
    if (static_cast<uint32_t>(nv) < static_cast<uint32_t>(TOVO_SFX_COUNT << 16)) tarq_stop_sfx(&effects[n]);
  } else {
    int32_t k = clamp(n, 0, TOVO_SFX_COUNT - 1);
    tarq_stop_sfx(&effects[k]);
    tarq_play_sfx_ex(&effects[k], clamp(offset, 0, TOVO_SFX_NOTES - 1), length, pstate().cart, channel);
    spend_cpu(16);
  }
  return 0;
}

int kx_music(lua_State* L) {
  clear_audio_pause();
  int32_t nv = lua_tonumberx(L, 1, nullptr);
  int32_t fade = int_arg(L, 2), mask = int_arg(L, 3);
  if (nv >= -0x10000 && nv < 0) {
    cmusic_stop(0, fade);
  } else if (pstate().cart) {
    int32_t pattern = clamp(nv >> 16, 0, TOVO_PATTERNS - 1);
    tarq_play_tovo_song(pstate().cart, pattern, fade);
    tarq_set_music_channel_mask(mask);
  }
  spend_cpu(16);
  return 0;
}
