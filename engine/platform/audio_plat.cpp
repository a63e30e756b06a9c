// Starting sound: the device runs the sound engine's mixer callback.
#include "engine/platform/audio_plat.h"
#include "engine/config.h"
#include "engine/sound_hooks.h"

int tarq_sound_init_plat(int32_t rate, int32_t channels) {
  if (cconfig.mix_buffer_size == 0) return 0;
  // No sound engine registered: no mixer for a device to run.
  if (!tarq_sound_engine.mixer_callback) return 1;
  const int result = tarq_open_audio_device(rate, channels, tarq_sound_engine.mixer_callback);
  if (tarq_sound_engine.set_sound_volume) tarq_sound_engine.set_sound_volume(cconfig.sound_volume);
  if (tarq_sound_engine.set_music_volume) tarq_sound_engine.set_music_volume(cconfig.music_volume);
  return result;
}
