// Bitmaps and presenting: the 8->32 conversion and enlargement of a 128x128
// page, the software path into a 1920x1080 window, sprite blits and fills.
// Each reports Mpixel/s of pixels written.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdlib>

#include "engine/config.h"
#include "engine/data/text.h"
#include "engine/platform/video.h"

namespace {

void mpixels(benchmark::State& state, double per_iteration) {
  state.counters["Mpixel/s"] =
      benchmark::Counter(per_iteration * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

// A dummy-driver window holding a 128x128 8-bit back page with a pattern.
struct video_up {
  explicit video_up(bool software, int preblit) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_VIDEO);
    tarq_config_default();
    cconfig.software_blit = software;
    cconfig.pixel_perfect = software ? 1 : 0;
    cconfig.preblit_scale = preblit;
    tarq_video_init();
    tarq_set_screen(128, 128, 8, 0);
    if (software) {  // the dummy display is smaller than the window wanted here
      SDL_SetWindowFullscreen(tarq_window.sdl_window, 0);
      SDL_SetWindowSize(tarq_window.sdl_window, 1920, 1080);
    }
    for (int y = 0; y < 128; y++)
      for (int x = 0; x < 128; x++) tarq_window.tarq_back_page->rows[y][x] = uint8_t((x ^ y) & 15);
  }
  ~video_up() {
    tarq_video_exit();
    SDL_Quit();
  }
};

void BM_PresentPreblit(benchmark::State& state) {
  const int scale = int(state.range(0));
  video_up video(false, scale);
  for (auto _ : state) tarq_blit_back_page();
  mpixels(state, 128.0 * scale * 128.0 * scale);
}
BENCHMARK(BM_PresentPreblit)->Arg(1)->Arg(3)->Arg(8)->Unit(benchmark::kMicrosecond);

void BM_PresentSoftware1080p(benchmark::State& state) {
  video_up video(true, 0);
  const tarq_rect_i r = tarq_get_present_rect();  // 1024x1024, centred
  if (r.w != 1024) state.SkipWithError("the window is not 1920x1080");
  for (auto _ : state) tarq_blit_back_page();
  mpixels(state, double(r.w) * r.h);
}
BENCHMARK(BM_PresentSoftware1080p)->Unit(benchmark::kMicrosecond);

void BM_SpriteBlits8x8(benchmark::State& state) {
  tarq_bitmap* sheet = tarq_create_bitmap(128, 128, 8);
  tarq_bitmap* screen = tarq_create_bitmap(128, 128, 8);
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) sheet->rows[y][x] = uint8_t((x * 7 + y) % 3 ? x & 15 : 0);
  for (auto _ : state) {
    for (int i = 0; i < 1000; i++)
      tarq_draw_sprite(sheet, screen, (i % 16) * 8, (i / 16 % 16) * 8, (i * 13) % 136 - 4, (i * 29) % 136 - 4, 8, 8);
    benchmark::ClobberMemory();
  }
  mpixels(state, 1000.0 * 64);
  tarq_destroy_bitmap(sheet);
  tarq_destroy_bitmap(screen);
}
BENCHMARK(BM_SpriteBlits8x8)->Unit(benchmark::kMicrosecond);

void BM_Rectfill(benchmark::State& state) {
  const int size = int(state.range(0)), depth = int(state.range(1));
  tarq_bitmap* b = tarq_create_bitmap(size, size, depth);
  uint32_t colour = 0;
  for (auto _ : state) {
    tarq_rectfill(b, 0, 0, size - 1, size - 1, colour++);
    benchmark::ClobberMemory();
  }
  mpixels(state, double(size) * size);
  tarq_destroy_bitmap(b);
}
BENCHMARK(BM_Rectfill)->Args({128, 8})->Args({128, 32})->Args({1024, 32});

}  // namespace
