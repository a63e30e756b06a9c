// Recording one frame into a full 3600-frame clip ring, and writing clips as
// GIF files: 16 seconds at scale 3 and 120 seconds at scale 8, with the peak
// resident memory the process reached.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/platform/present.h"
#include "player/capture/clip_record.h"
#include "player/capture/gif.h"
#include "player/shell_state.h"

namespace {

// A picture that moves a little every frame: a scrolling band over a still
// background, so that clips hold both changed and unchanged pixels.
void draw_frame(tarq_bitmap* b, int32_t k) {
  for (int32_t y = 0; y < 128; y++)
    for (int32_t x = 0; x < 128; x++) b->rows[y][x] = (uint8_t)((x / 16 + y / 16) & 15);
  for (int32_t y = 0; y < 16; y++)
    for (int32_t x = 0; x < 128; x++) b->rows[(y + k) & 127][x] = (uint8_t)((x + k) & 15);
}

long peak_rss_kib() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

void fill_ring(int32_t seconds) {
  app.gif_len = seconds;
  reset_video();
  tarq_bitmap* b = tarq_create_bitmap(128, 128, 8);
  for (int32_t k = 0; k < seconds * 30; k++) {
    draw_frame(b, k);
    record_video_frame(b);
  }
  tarq_destroy_bitmap(b);
}

void BM_record_video_frame_full_ring(benchmark::State& state) {
  fill_ring(120);
  tarq_bitmap* b = tarq_create_bitmap(128, 128, 8);
  draw_frame(b, 7);
  for (auto _ : state) {
    record_video_frame(b);
    benchmark::DoNotOptimize(video_clip.slot[0]);
  }
  tarq_destroy_bitmap(b);
}
BENCHMARK(BM_record_video_frame_full_ring);

void BM_save_gif(benchmark::State& state) {
  int32_t seconds = (int32_t)state.range(0), scale = (int32_t)state.range(1);
  char folder[] = "/tmp/tovo_bench_gif_XXXXXX";
  if (!mkdtemp(folder)) {
    state.SkipWithError("no temporary folder");
    return;
  }
  snprintf(cconfig.desktop_path, sizeof cconfig.desktop_path, "%s/", folder);
  if (!tarq_video.tarq_video_palette) tarq_swap_video_palette(tarq_create_palette());
  fill_ring(seconds);
  long before = peak_rss_kib();
  for (auto _ : state) {
    if (save_gif(scale, 0) != 0) state.SkipWithError("save failed");
    state.PauseTiming();
    std::remove((std::string(folder) + "/TOVO_0.gif").c_str());
    state.ResumeTiming();
  }
  state.counters["frames"] = video_clip.index;
  state.counters["peak_rss_mib"] = (double)peak_rss_kib() / 1024.0;
  state.counters["peak_growth_mib"] = (double)(peak_rss_kib() - before) / 1024.0;
  rmdir(folder);
  cconfig.desktop_path[0] = 0;
}
BENCHMARK(BM_save_gif)->Args({16, 3})->Args({120, 8})->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
