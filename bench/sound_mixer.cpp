// One 1024-frame audio callback with eight channels busy in their most
// expensive way: custom instruments, detune, reverb, low-pass and noise with
// vibrato and slides, every tick a new note. The real-time factor is the
// buffer's duration (46.4 ms at 22050 Hz) over the time the callback takes.
// Every allocation while the callback runs is counted: there must be none.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/config.h"
#include "engine/platform/audio_plat.h"
#include "engine/tarq.h"
#include "sound/play/play.h"
#include "sound/sound.h"

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
void note_allocation() {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

extern "C" void* malloc(size_t n) {
  note_allocation();
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t a, size_t b) {
  note_allocation();
  return __libc_calloc(a, b);
}
extern "C" void* realloc(void* p, size_t n) {
  note_allocation();
  return __libc_realloc(p, n);
}

namespace {

constexpr int FRAMES = 1024;

void fill_busy_sfx(tovo_sfx* s, int seed, bool custom) {
  s->speed = 1;
  s->flags = ((2 + 2 * 3 + 2 * 9) << 3) | 2;  // detune 2, reverb 2, low-pass 2, noise
  s->loop_start = 0;
  s->loop_end = 32;
  for (int i = 0; i < 32; i++) {
    const int32_t w = (i + seed) % 8;
    s->notes[i] = {(i * 5 + seed) % 64, custom ? w : (w == 6 ? 6 : w), 7, (i % 3 == 0) ? 2 : 1,
                   custom && w < 8 ? 128 : 0};
  }
}

void BM_MixerCallbackEightBusyChannels(benchmark::State& state) {
  tarq_config_default();
  cconfig.headless = 1;
  tovo_set_sound_machine({pstate().sound_regs});
  tarq_sound_init(22050, 1);
  tarq_set_audio_format_in_use(22050, 1);
  tarq_set_audio_format_requested(22050, 1);
  cconfig.console_mode = 1;
  cconfig.sound_volume = 200;
  tovo_cart* cart = tarq_create_tovo_cart();
  pstate().cart = cart;
  for (int n = 0; n < 8; n++) fill_busy_sfx(&cart->sfx[n], n, false);  // the instruments
  for (int n = 8; n < 16; n++) fill_busy_sfx(&cart->sfx[n], n, true);
  pstate().sound_regs[2] = 0xf0;  // fine bit crush on every channel
  for (int i = 0; i < 4; i++) cart->music[0][i] = 12 + i;
  cart->music_flags[0] = 3;  // the pattern repeats
  tarq_play_tovo_song(cart, 0, 0);
  for (int i = 0; i < 4; i++) tarq_play_sfx_ex(&cart->sfx[8 + i], 0, 0, cart, i);

  static int16_t out[FRAMES];
  long before = 0;
  for (auto _ : state) {
    before = allocations.load();
    counting = true;
    tarq_mixer_callback(nullptr, reinterpret_cast<uint8_t*>(out), FRAMES * 2);
    counting = false;
    benchmark::DoNotOptimize(out);
    if (allocations.load() != before) {
      state.SkipWithError("the callback allocated");
      break;
    }
  }
  const double seconds_of_audio = FRAMES / 22050.0;  // 46.4 ms
  // The Time column is the time of one callback; this is the audio it made
  // per second of mixing.
  state.counters["realtime_factor"] =
      benchmark::Counter(seconds_of_audio, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["allocations"] = (double)allocations.load();
  tarq_stop_all_sounds();
  tarq_destroy_tovo_cart(cart);
  pstate().cart = nullptr;
}
BENCHMARK(BM_MixerCallbackEightBusyChannels);

}  // namespace
