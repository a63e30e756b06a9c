// Sound start and stop, the audio lock, the volumes and the mixer's clock.
#include <cstdio>
#include <cstring>

#include "engine/config.h"
#include "engine/log.h"
#include "engine/log_format.h"
#include "engine/platform/audio_plat.h"
#include "engine/sound_hooks.h"
#include "engine/tarq.h"
#include "sound/items/pod_items.h"
#include "sound/mixer/audio_lock.h"
#include "sound/mixer/mixer.h"
#include "sound/sound.h"
#include "sound/xm/xm.h"

int32_t tarq_sound_clock() { return ms0.clock_held ? ms0.held_clock_ms : tarq_get_time(); }

void tarq_mixer_seed(uint32_t seed) { tarq_prng_seed(&ms0.prng, seed); }

void tarq_sound_register() {
  tarq_sound_hooks hooks = {};
  hooks.update_music_fading = tarq_update_music_fading;
  hooks.music_stop = cmusic_stop;
  hooks.sound_exit = tarq_sound_exit;
  hooks.mixer_callback = tarq_mixer_callback;
  hooks.set_sound_volume = tarq_set_sound_volume;
  hooks.set_music_volume = tarq_set_music_volume;
  tarq_set_sound_hooks(hooks);
  tovo_register_sound_items();
}

int tarq_sound_init(int32_t rate, int32_t channels) {
  tarq_sound_register();
  if (!ms0.machine.regs) tarq_fatal_error("sound started before the machine was set up");
  {
    tarq_audio_guard lock;
    std::memset(xm0.xmbuf, 0, sizeof xm0.xmbuf);
    tovo_xm_clear_playstate();
    std::memset(ms0.ch, 0, sizeof ms0.ch);
    ms0.advanced_pattern = 0;
    ms0.last_callback_len = 1024;
    ms0.music_pattern = -1;
    ms0.music_pattern_counter = 0;
    tovo_reset_fade();
    tarq_mixer_seed(0);
  }
  tarq_logf("tarq_sound_init mix_buffer_size: %d\n", static_cast<int>(cconfig.mix_buffer_size));
  if (cconfig.headless) return 0;
  // The callback compares the format in use with the one asked for, so the
  // request is stored before the device starts.
  tarq_set_audio_format_requested(rate, channels);
  return tarq_sound_init_plat(rate, channels);
}

int tarq_sound_exit() { return tarq_sound_exit_plat(); }

void tarq_lock_audio() { tarq_lock_audio_plat(); }
void tarq_unlock_audio() { tarq_unlock_audio_plat(); }

void tarq_set_sound_volume(int32_t v) {
  if (tarq_sound_inited()) tovo_sound_word_store(cconfig.sound_volume, v);
}

void tarq_set_music_volume(int32_t v) { tovo_sound_word_store(cconfig.music_volume, v); }

void tarq_set_console_mode(int32_t on) { tovo_sound_word_store(cconfig.console_mode, on); }

int32_t tarq_audio_pause() { return tovo_sound_word_load(ms0.audio_pause); }
void tarq_set_audio_pause(int32_t word) { tovo_sound_word_store(ms0.audio_pause, word); }
