// Recording the mixer's output: while the mixer's recording flag is set,
// the callback appends every output sample to one growable buffer as a
// little-endian 16-bit value (sound/mixer/audio_record.h starts and ends it).
#include "engine/io/file.h"
#include "sound/mixer/mixer.h"

void tovo_record_output(const int16_t* samples, int n) {
  if (!tovo_sound_word_load(ms0.recording) || ms0.tarq_audio_buffer == nullptr) return;
  tarq_fwrite_int16s(samples, n, ms0.tarq_audio_buffer);
}
