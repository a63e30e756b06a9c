// Recording the mixer's output: while the engine's recording flag is set,
// the callback appends every output sample to one growable buffer as a
// little-endian 16-bit value. The main thread starts and ends a recording
// under the audio lock, so the callback never sees the buffer change.
#include "engine/io/file.h"
#include "engine/mem.h"
#include "engine/tarq.h"
#include "sound/mixer/audio_lock.h"
#include "sound/mixer/mixer.h"
#include "sound/sound.h"

tarq_file* tarq_audio_buffer;

tarq_file* tarq_audio_rec() {
  tarq_audio_guard lock;
  if (tarq_audio_buffer == nullptr) tarq_audio_buffer = tarq_create_buffer(0x10000);
  if (tarq_audio_buffer == nullptr) return nullptr;
  tarq_clear_buffer(tarq_audio_buffer);
  tovo_sound_word_store(tarq_state.recording, 1);
  return tarq_audio_buffer;
}

tarq_file* tarq_audio_end() {
  tarq_audio_guard lock;
  if (!tovo_sound_word_load(tarq_state.recording)) return nullptr;
  tovo_sound_word_store(tarq_state.recording, 0);
  return tarq_audio_buffer;
}

void tovo_record_output(const int16_t* samples, int n) {
  if (!tovo_sound_word_load(tarq_state.recording) || tarq_audio_buffer == nullptr) return;
  tarq_fwrite_int16s(samples, n, tarq_audio_buffer);
}
