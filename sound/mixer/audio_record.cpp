// Starting and ending a recording of the mixer's output. The main thread
// starts and ends it under the audio lock, so the callback never sees the
// buffer change.
#include "sound/mixer/audio_record.h"

#include "engine/io/file.h"
#include "engine/tracked_mem.h"
#include "sound/mixer/audio_lock.h"
#include "sound/mixer/mixer.h"

tarq_file* tarq_audio_rec() {
  tarq_audio_guard lock;
  if (ms0.tarq_audio_buffer == nullptr) ms0.tarq_audio_buffer = tarq_create_buffer(0x10000);
  if (ms0.tarq_audio_buffer == nullptr) return nullptr;
  tarq_clear_buffer(ms0.tarq_audio_buffer);
  tovo_sound_word_store(ms0.recording, 1);
  return ms0.tarq_audio_buffer;
}

tarq_file* tarq_audio_end() {
  tarq_audio_guard lock;
  if (!tovo_sound_word_load(ms0.recording)) return nullptr;
  tovo_sound_word_store(ms0.recording, 0);
  return ms0.tarq_audio_buffer;
}
