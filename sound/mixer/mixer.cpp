// The audio callback: every channel rendered, music channels silenced under
// their sound effects, the sum through the soft knee, the master volume, the
// output, the post-mix hook and the recording.
#include <cstring>

#include "engine/config.h"
#include "engine/io/file.h"
#include "engine/platform/audio_plat.h"
#include "engine/tarq.h"
#include "sound/mixer/mixer.h"
#include "sound/sound.h"
#include "sound/xm/xm.h"

tovo_mixer_state ms0;

namespace {

// The application's post-mix hook, set only through tarq_set_post_mix_func.
std::atomic<tarq_post_mix_func> tarq_post_mix_hook{nullptr};

int32_t load(const int32_t& word) { return tovo_sound_word_load(word); }

// Recording the output: while the mixer's recording flag is set, the
// callback appends every output sample to one growable buffer as a
// little-endian 16-bit value (sound/mixer/audio_record.h starts and ends it).
void tovo_record_output(const int16_t* samples, int n) {
  if (!load(ms0.recording) || ms0.tarq_audio_buffer == nullptr) return;
  tarq_fwrite_int16s(samples, n, ms0.tarq_audio_buffer);
}

// Mixes n <= 4096 frames into channel 0's buffer; `bytes` is the length of
// the output they fill.
void mix_pass(int n, int32_t bytes) {
  ms0.last_callback_len = bytes;
  ms0.advanced_pattern = 0;
  for (tovo_mixer_channel& c : ms0.ch) update_mix_channel(&c, n);
  if (ms0.advanced_pattern) ms0.music_pattern_counter = wrap_add(ms0.music_pattern_counter, 1);
  int summed = TOVO_MIX_CHANNELS;
  if (tovo_console_mode()) {
    for (int i = 0; i < 4; i++)
      if (ms0.ch[i].sfx) std::memset(ms0.ch[i + 4].out, 0, sizeof(int16_t) * static_cast<size_t>(n));
    summed = TOVO_CONSOLE_CHANNELS;
  }
  for (int g = 2; g <= summed; g *= 2) {
    for (int k = 0; k * g + g / 2 < summed; k++) {
      mix_down(ms0.ch[k * g].out, ms0.ch[k * g + g / 2].out, n);
    }
  }
  const int32_t volume = load(cconfig.sound_volume);
  if (volume != 256) {
    int16_t* mix = ms0.ch[0].out;
    for (int i = 0; i < n; i++) mix[i] = static_cast<int16_t>(volume * mix[i] >> 8);
  }
  mix_in_xm(ms0.ch[0].out, n);
}

}  // namespace

void tovo_set_sound_machine(const tovo_sound_machine& machine) { ms0.machine = machine; }

int32_t tovo_sound_reg(tovo_sound_register reg) { return load(ms0.machine.regs[reg]); }
int32_t tovo_console_mode() { return load(cconfig.console_mode); }
int32_t tovo_music_volume() { return load(cconfig.music_volume); }

void mix_down(int16_t* dst, const int16_t* src, int n) {
  for (int i = 0; i < n; i++) dst[i] = soft_knee(dst[i] + src[i]);
}

void tarq_set_post_mix_func(tarq_post_mix_func hook) { tarq_post_mix_hook.store(hook); }

void tarq_mixer_callback(void*, uint8_t* stream, int len) {
  if (len <= 0) return;
  const tarq_audio_format in_use = tarq_audio_format_in_use(), requested = tarq_audio_format_requested();
  std::memset(stream, 0, static_cast<size_t>(len));
  if (load(tarq_state.paused) || load(ms0.audio_pause) || in_use.rate != requested.rate ||
      in_use.channels != requested.channels || in_use.channels <= 0)
    return;
  tarq_mixer_callback_0(stream, len);
}

void tarq_mixer_callback_0(uint8_t* stream, int len) {
  const tarq_audio_format in_use = tarq_audio_format_in_use();
  const int32_t rate = in_use.rate, channels = in_use.channels;
  if (channels <= 0) return;
  tovo_sound_word_store(ms0.inside_tarq_mixer_callback, 1);
  // Bytes of output for each mixed sample: 2 at 22050 Hz mono, 8 (two stereo
  // frames) at 44100 Hz stereo; other formats are mixed but not written.
  const bool mono = rate == 22050 && channels == 1, stereo = rate == 44100 && channels == 2;
  const int32_t per_sample = 2 * channels * (rate == 44100 ? 2 : 1);
  int32_t total = len / per_sample;
  int16_t* out = reinterpret_cast<int16_t*>(stream);
  while (total > 0) {
    const int n = total < TOVO_MIX_SAMPLES ? total : TOVO_MIX_SAMPLES;
    const int32_t bytes = n * per_sample;
    mix_pass(n, bytes);
    const int16_t* mix = ms0.ch[0].out;
    if (mono) std::memcpy(out, mix, sizeof(int16_t) * static_cast<size_t>(n));
    if (stereo)
      for (int i = 0; i < n; i++) out[4 * i] = out[4 * i + 1] = out[4 * i + 2] = out[4 * i + 3] = mix[i];
    if (tarq_post_mix_func hook = tarq_post_mix_hook.load()) hook(out, bytes / 2, bytes);
    if (channels == 1) tovo_record_output(out, bytes / 2);
    out += bytes / 2;
    total -= n;
  }
  tovo_sound_word_store(ms0.inside_tarq_mixer_callback, 0);
}
