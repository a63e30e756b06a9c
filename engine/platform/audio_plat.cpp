// Starting sound: the device runs the sound engine's mixer callback.
#include "engine/platform/audio_plat.h"
#include "engine/config.h"
#include "engine/services.h"

int tarq_sound_init_plat(int32_t rate, int32_t channels) {
  if (cconfig.mix_buffer_size == 0) return 0;
  const int result = tarq_open_audio_device(rate, channels, tarq_mixer_callback);
  tarq_set_sound_volume(cconfig.sound_volume);
  tarq_set_music_volume(cconfig.music_volume);
  return result;
}
