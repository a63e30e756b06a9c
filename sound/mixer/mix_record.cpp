// Recording the mixer's output: while the engine's recording flag is set,
// the callback appends every output sample to one growable buffer as a
// little-endian 16-bit value (sound/mixer/audio_record.h starts and ends it).
#include "engine/io/file.h"
#include "engine/tarq.h"
#include "sound/mixer/mixer.h"

tarq_file* tarq_audio_buffer;

void tovo_record_output(const int16_t* samples, int n) {
  if (!tovo_sound_word_load(tarq_state.recording) || tarq_audio_buffer == nullptr) return;
  tarq_fwrite_int16s(samples, n, tarq_audio_buffer);
}
