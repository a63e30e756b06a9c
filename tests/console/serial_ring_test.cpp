// The serial audio ring between the main thread and the audio thread: a
// consumer thread mixes while the producer writes and flushes; every byte
// arrives once and in order. Run under ThreadSanitizer by
// tests/console/tsan.sh.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "console/machine/serial.h"
#include "console/machine/serial_audio.h"
#include "engine/config.h"
#include "engine/tarq.h"
#include "sound/sound.h"

namespace {

// The i-th byte sent: 1-255 without 128, so that every mixed sample is
// non-zero and a zero marks the end of what was taken.
int byte_of(int i) {
  int v = i % 254 + 1;
  return v >= 128 ? v + 1 : v;
}

TEST(SerialRingTest, ConsumerThreadSeesEveryByteInOrder) {
  serial_init_runtime();
  mix_serial_sound_buffer(nullptr, 0, 0);
  tarq_set_audio_pause(0);
  cconfig.sound_volume = 1;  // a sample is byte - 128
  constexpr int TOTAL = 200000;
  std::atomic<bool> done{false};
  std::vector<int> seen;
  seen.reserve(TOTAL);
  std::thread audio([&] {
    int16_t out[256];
    for (;;) {
      bool last = done.load();
      for (;;) {
        for (int16_t& s : out) s = 0;
        mix_serial_sound_buffer(out, 256, 512);
        bool any = false;
        for (int k = 0; k < 256; k += 4) {
          if (out[k] == 0 && out[k + 1] == 0) break;
          seen.push_back(out[k] + 128);
          any = true;
        }
        if (!any) break;
      }
      if (last) return;
      std::this_thread::yield();
    }
  });
  int sent = 0;
  uint8_t chunk[100];
  while (sent < TOTAL) {
    if (tovo_serial_audio_fill() > TOVO_SERIAL_AUDIO_BYTES - 100) {
      std::this_thread::yield();
      continue;
    }
    for (int i = 0; i < 100; i++) chunk[i] = static_cast<uint8_t>(byte_of(sent + i));
    tovo_serial_audio_push(chunk, 100, 1);
    sent += 100;
  }
  while (tovo_serial_audio_fill() > 0) std::this_thread::yield();
  done.store(true);
  audio.join();
  ASSERT_EQ(static_cast<int>(seen.size()), TOTAL);
  for (int i = 0; i < TOTAL; i++) ASSERT_EQ(seen[i], byte_of(i)) << i;
}

TEST(SerialRingTest, FlushWhileTheConsumerRunsNeverOverwritesUnreadSlots) {
  tarq_set_audio_pause(0);
  cconfig.sound_volume = 256;
  std::atomic<bool> done{false};
  std::thread audio([&] {
    int16_t out[1024];
    while (!done.load()) {
      for (int16_t& s : out) s = 0;
      mix_serial_sound_buffer(out, 1024, 2048);
    }
  });
  uint8_t bytes[700];
  for (int i = 0; i < 700; i++) bytes[i] = static_cast<uint8_t>(i);
  for (int round = 0; round < 3000; round++) {
    tovo_serial_audio_push(bytes, 700, round & 1);
    if (round % 3 == 0) serial_init_runtime();
    EXPECT_LE(tovo_serial_audio_fill(), TOVO_SERIAL_AUDIO_BYTES);
  }
  done.store(true);
  audio.join();
}

}  // namespace
