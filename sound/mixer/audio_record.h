#pragma once
// Recording the output (mono devices only): tarq_audio_rec empties the
// recording buffer (made at the first call) and starts appending every mixed
// output sample to it as a little-endian 16-bit value; null when the buffer
// cannot be made. tarq_audio_end stops and returns the buffer, or null when
// no recording ran. The buffer stays the sound engine's; it holds the samples
// until the next recording starts. The player records no sound.
struct tarq_file;
tarq_file* tarq_audio_rec();
tarq_file* tarq_audio_end();
