// SDL's audio device, the formats asked for and in use, the counted audio lock,
// and starting sound with the sound engine's hooks, as registered.
#include <SDL.h>

#include <atomic>

#include "engine/config.h"
#include "engine/log_format.h"
#include "engine/platform/audio_plat.h"
#include "engine/sound_hooks.h"

namespace {

// The audio device: the formats, which the callback reads on the audio
// thread, whether the device runs, and the lock's depth (main thread only).
struct tarq_audio_device {
  std::atomic<int32_t> rate_requested{0}, channels_requested{0};
  std::atomic<int32_t> rate{0}, channels{0};  // in use
  int32_t tarq_sound_inited = 0;
  int32_t tarq_audio_is_locked = 0;
};

tarq_audio_device device;

void log_drivers() {
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

}  // namespace

int32_t tarq_sound_inited() { return device.tarq_sound_inited; }
int32_t tarq_audio_lock_depth() { return device.tarq_audio_is_locked; }

void tarq_set_audio_format_requested(int32_t rate, int32_t channels) {
  device.rate_requested.store(rate, std::memory_order_relaxed);
  device.channels_requested.store(channels, std::memory_order_relaxed);
}

tarq_audio_format tarq_audio_format_requested() {
  return {device.rate_requested.load(std::memory_order_relaxed),
          device.channels_requested.load(std::memory_order_relaxed)};
}

void tarq_set_audio_format_in_use(int32_t rate, int32_t channels) {
  device.rate.store(rate, std::memory_order_relaxed);
  device.channels.store(channels, std::memory_order_relaxed);
}

tarq_audio_format tarq_audio_format_in_use() {
  return {device.rate.load(std::memory_order_relaxed), device.channels.load(std::memory_order_relaxed)};
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
      tarq_set_audio_format_in_use(want.freq ? want.freq : rate, want.channels ? want.channels : channels);
      const tarq_audio_format in_use = tarq_audio_format_in_use();
      tarq_logf(" freq:%d\n channels:%d\n", in_use.rate, in_use.channels);
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

// Starting sound: the device runs the sound engine's mixer callback.
int tarq_sound_init_plat(int32_t rate, int32_t channels) {
  if (cconfig.mix_buffer_size == 0) return 0;
  // No sound engine registered: no mixer for a device to run.
  if (!tarq_sound_engine.mixer_callback) return 1;
  const int result = tarq_open_audio_device(rate, channels, tarq_sound_engine.mixer_callback);
  if (tarq_sound_engine.set_sound_volume) tarq_sound_engine.set_sound_volume(cconfig.sound_volume);
  if (tarq_sound_engine.set_music_volume) tarq_sound_engine.set_music_volume(cconfig.music_volume);
  return result;
}

// The sound engine's hooks, as registered.
tarq_sound_hooks tarq_sound_engine = {};

void tarq_set_sound_hooks(const tarq_sound_hooks& hooks) { tarq_sound_engine = hooks; }
