#pragma once
// The serial audio buffer between the main thread (channel 0x808 writes)
// and the post-mix hook on the audio thread: a single-producer,
// single-consumer ring of 2048 unsigned 8-bit samples (128 silence).
#include <cstdint>

// Main thread: appends bytes while the buffer holds fewer than 2048, drops
// the rest; raw 1 plays the samples unsmoothed.
void tovo_serial_audio_push(const uint8_t* bytes, int32_t n, int raw);
// Main thread: empties the buffer (the audio thread skips what was queued).
void tovo_serial_audio_flush();
// Main thread: bytes waiting.
int32_t tovo_serial_audio_fill();
