// Starting and ending a recording of the mixer's output. The main thread
// starts and ends it under the audio lock, so the callback never sees the
// buffer change.
#include "sound/mixer/audio_record.h"

#include "engine/io/file.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"
#include "sound/mixer/audio_lock.h"
#include "sound/mixer/mixer.h"

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
