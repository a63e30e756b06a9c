// The serial audio ring and the post-mix hook that plays it.
#include "console/machine/serial_audio.h"

#include <atomic>

#include "console/machine/cart.h"
#include "console/machine/serial.h"
#include "console/machine/serial_knee.h"
#include "engine/config.h"
#include "engine/tarq.h"
#include "sound/sound.h"

namespace {

constexpr uint32_t RING_MASK = TOVO_SERIAL_AUDIO_BYTES - 1;
static_assert((TOVO_SERIAL_AUDIO_BYTES & RING_MASK) == 0);

// Positions count bytes since start and wrap at 32 bits; a slot is
// position & RING_MASK. The producer owns head and flush, the consumer tail.
uint8_t ring[TOVO_SERIAL_AUDIO_BYTES];
std::atomic<uint32_t> head{0};
std::atomic<uint32_t> tail{0};
std::atomic<uint32_t> flush_to{0};  // the consumer skips ahead to here
std::atomic<int32_t> raw_mode{0};
int32_t previous_c = 0;  // audio thread only: smoothing across buffers

bool after(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) > 0; }

}  // namespace

void tovo_serial_audio_push(const uint8_t* bytes, int32_t n, int raw) {
  raw_mode.store(raw, std::memory_order_relaxed);
  uint32_t w = head.load(std::memory_order_relaxed);
  // Space is counted from the consumer's own tail: slots it may still be
  // reading are never written, even after a flush.
  uint32_t used = w - tail.load(std::memory_order_acquire);
  int32_t room = TOVO_SERIAL_AUDIO_BYTES - static_cast<int32_t>(used);
  if (n > room) n = room;
  for (int32_t i = 0; i < n; i++) ring[(w + static_cast<uint32_t>(i)) & RING_MASK] = bytes[i];
  if (n > 0) head.store(w + static_cast<uint32_t>(n), std::memory_order_release);
}

void tovo_serial_audio_flush() { flush_to.store(head.load(std::memory_order_relaxed), std::memory_order_release); }

int32_t tovo_serial_audio_fill() {
  uint32_t w = head.load(std::memory_order_relaxed);
  uint32_t r = tail.load(std::memory_order_acquire);
  uint32_t f = flush_to.load(std::memory_order_relaxed);
  if (after(f, r)) r = f;
  return static_cast<int32_t>(w - r);
}

int32_t serial_sound_buffer_pos() { return tovo_serial_audio_fill(); }

int mix_serial_sound_buffer(int16_t* out, int32_t n, int32_t) {
  if (tarq_audio_pause()) return 0;
  uint32_t r = tail.load(std::memory_order_relaxed);
  uint32_t f = flush_to.load(std::memory_order_acquire);
  if (after(f, r)) {
    r = f;
    tail.store(r, std::memory_order_release);
  }
  uint32_t avail = head.load(std::memory_order_acquire) - r;
  if (avail == 0) previous_c = 0;  // the ring ran dry: the output was silent
  if (avail == 0 || n < 4) return 0;
  int32_t v = tovo_sound_word_load(cconfig.sound_volume);
  v = v < 0 ? 0 : v > 256 ? 256 : v;
  bool raw = raw_mode.load(std::memory_order_relaxed) != 0;
  uint32_t m = static_cast<uint32_t>(n / 4);
  if (m > avail) m = avail;
  for (uint32_t k = 0; k < 4 * m; k++) {
    int32_t c = (static_cast<int32_t>(ring[(r + (k >> 2)) & RING_MASK]) - 128) * v;
    int32_t s = raw ? c : (previous_c + c) / 2;
    previous_c = c;
    out[k] = tovo_add_with_knee(out[k], s);
  }
  tail.store(r + m, std::memory_order_release);
  return 0;
}
