// SDL's audio device and the counted audio lock.
#include <SDL.h>

#include <atomic>

#include "engine/config.h"
#include "engine/log_format.h"
#include "engine/platform/audio_plat.h"
#include "engine/tarq.h"

namespace {

// The device's record: only this file changes it.
struct tarq_audio_device {
  int32_t tarq_audio_is_locked;  // lock depth
  int32_t tarq_sound_inited;
};

tarq_audio_device device;

}  // namespace

int32_t tarq_audio_is_locked() { return device.tarq_audio_is_locked; }
int32_t tarq_sound_inited() { return device.tarq_sound_inited; }

static void log_drivers() {
  const int n = SDL_GetNumAudioDrivers();
  if (n <= 0) {
    tarq_debug("No built-in audio drivers\n");
  } else {
    tarq_debug("Built-in audio drivers:");
    for (int i = 0; i < n; i++) tarq_logf(" %d %s", i, SDL_GetAudioDriver(i));
    tarq_debug("\n");
  }
  const char* current = SDL_GetCurrentAudioDriver();
  tarq_logf("Current audio driver: %s\n", current ? current : "(none)");
}

int tarq_open_audio_device(int32_t rate, int32_t channels, tarq_audio_callback callback) {
  if (cconfig.mix_buffer_size == 0) return 0;
  int result = 1;
  SDL_InitSubSystem(SDL_INIT_AUDIO);
  tarq_debug("tarq_sound_init\n");
  if (SDL_Init(SDL_INIT_AUDIO) == 0) {
    tarq_debug("SDL_INIT_AUDIO ok\n");
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = rate;
    want.format = AUDIO_S16LSB;
    want.channels = static_cast<Uint8>(channels);
    want.samples = static_cast<Uint16>(cconfig.mix_buffer_size);
    want.callback = callback;
    want.userdata = nullptr;
    if (SDL_OpenAudio(&want, nullptr) != 0) {
      tarq_debug("SDL_OpenAudio failed\n");
      tarq_logf(" %s\n", SDL_GetError());
    } else {
      tarq_debug("SDL_OpenAudio ok\n");
      // The callback reads the format in use on the audio thread.
      std::atomic_ref<int32_t>(tarq_state.rate).store(want.freq ? want.freq : rate, std::memory_order_relaxed);
      std::atomic_ref<int32_t>(tarq_state.channels)
          .store(want.channels ? want.channels : channels, std::memory_order_relaxed);
      tarq_logf(" freq:%d\n channels:%d\n", tarq_state.rate, tarq_state.channels);
      SDL_PauseAudio(0);
      device.tarq_sound_inited = 1;
      result = 0;
    }
    log_drivers();
  }
  return result;
}

int tarq_sound_exit_plat() {
  if (!device.tarq_sound_inited) return 0;
  SDL_PauseAudio(1);
  SDL_CloseAudio();
  device.tarq_sound_inited = 0;
  return 0;
}

void tarq_lock_audio_plat() {
  if (device.tarq_audio_is_locked++ == 0) SDL_LockAudio();
}

// A release with no lock held changes nothing.
void tarq_unlock_audio_plat() {
  if (device.tarq_audio_is_locked <= 0) return;
  if (--device.tarq_audio_is_locked == 0) SDL_UnlockAudio();
}
