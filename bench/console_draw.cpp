// Drawing throughput in pixels per second: cls, full-screen rectfill plain,
// patterned and masked, large and small circle fills, a large oval fill,
// 1000 8x8 sprites, a 128 to 256 sspr, a full-screen map and a textured
// floor of 128 lines.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/support/machine.h"
#include "console/draw/gfx_shapes.h"
#include "console/draw/gfx_state.h"
#include "console/draw/map.h"
#include "console/draw/sprite.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"

namespace {

constexpr int64_t SCREEN_PIXELS = 128 * 128;

// A machine as the shell sets it up, with a busy sheet and map, made once.
void ensure_machine() {
  if (pstate().cart) return;
  bench_make_machine();
  set_draw_display(0);
  for (int i = 0; i < 128 * 128; i++) pstate().cart->gfx->pixels[i] = static_cast<uint8_t>((i * 7 + i / 128) % 16);
  for (int y = 0; y < 32; y++) {
    for (int x = 0; x < 128; x++) map_putpixel(x, y, 1 + (x + y) % 60);
  }
}

// Each benchmark leaves the draw state as it found it.
void plain_state() {
  pstate().fill_pattern = 0;
  pstate().write_mask = pstate().read_mask = 15;
}

void BM_Cls(benchmark::State& state) {
  ensure_machine();
  for (auto _ : state) tovo_cls(3);
  state.SetItemsProcessed(state.iterations() * SCREEN_PIXELS);
}
BENCHMARK(BM_Cls);

// Argument: 0 plain, 1 with a pattern, 2 with a transparent pattern and masks.
void BM_RectfillFullScreen(benchmark::State& state) {
  ensure_machine();
  if (state.range(0) >= 1) pstate().fill_pattern = 0x5a5a;
  if (state.range(0) >= 2) {
    pstate().fill_pattern |= 0x10000;
    pstate().write_mask = 7;
    pstate().read_mask = 13;
  }
  for (auto _ : state) benchmark::DoNotOptimize(tovo_rectfill_box(pstate().draw_target, 0, 0, 127, 127, 0x9e));
  plain_state();
  state.SetItemsProcessed(state.iterations() * SCREEN_PIXELS);
}
BENCHMARK(BM_RectfillFullScreen)->Arg(0)->Arg(1)->Arg(2);

void BM_CircfillLarge(benchmark::State& state) {
  ensure_machine();
  int64_t pixels = 0;
  for (auto _ : state) pixels += draw_filloval(pstate().draw_target, 4, 4, 123, 123, 12);
  state.SetItemsProcessed(pixels);
}
BENCHMARK(BM_CircfillLarge);

void BM_OvalfillLarge(benchmark::State& state) {
  ensure_machine();
  int64_t pixels = 0;
  for (auto _ : state) pixels += draw_filloval(pstate().draw_target, -40, 10, 167, 117, 11);
  state.SetItemsProcessed(pixels);
}
BENCHMARK(BM_OvalfillLarge);

// Small circles of radius 1 to 8 over the screen: their rows are short, so
// what each row costs to set up counts as much as the pixels.
void BM_CircfillSmall(benchmark::State& state) {
  ensure_machine();
  int64_t pixels = 0;
  int32_t k = 0;
  for (auto _ : state) {
    const int32_t r = 1 + k % 8, x = (k * 37) % 128, y = (k * 53) % 128;
    pixels += draw_filloval(pstate().draw_target, x - r, y - r, x + r, y + r, static_cast<uint32_t>(k % 16));
    k++;
  }
  state.SetItemsProcessed(pixels);
}
BENCHMARK(BM_CircfillSmall);

// A huge circle whose top arc crosses the screen: 128 rows visible.
void BM_CircfillHugeEdge(benchmark::State& state) {
  ensure_machine();
  int64_t pixels = 0;
  for (auto _ : state) pixels += draw_filloval(pstate().draw_target, 64 - 30000, 60, 64 + 30000, 60060, 9);
  state.SetItemsProcessed(pixels);
}
BENCHMARK(BM_CircfillHugeEdge);

void BM_Sprites1000(benchmark::State& state) {
  ensure_machine();
  for (auto _ : state) {
    for (int i = 0; i < 1000; i++) tovo_spr(i & 255, (i * 37) % 120, (i * 53) % 120, 8, 8, i & 1, i & 2);
  }
  state.SetItemsProcessed(state.iterations() * 1000 * 64);
}
BENCHMARK(BM_Sprites1000);

void BM_SsprDoubleSize(benchmark::State& state) {
  ensure_machine();
  for (auto _ : state) tovo_sspr(0, 0, 128, 128, -64, -64, 256, 256, false, false);
  state.SetItemsProcessed(state.iterations() * SCREEN_PIXELS);
}
BENCHMARK(BM_SsprDoubleSize);

void BM_MapFullScreen(benchmark::State& state) {
  ensure_machine();
  for (auto _ : state) benchmark::DoNotOptimize(tovo_map_draw(0, 0, 0, 0, 16, 16, 0));
  state.SetItemsProcessed(state.iterations() * SCREEN_PIXELS);
}
BENCHMARK(BM_MapFullScreen);

void BM_TlineFloor(benchmark::State& state) {
  ensure_machine();
  int64_t pixels = 0;
  for (auto _ : state) {
    for (int y = 0; y < 128; y++) {
      const int32_t z = (64 << 16) / (y + 8);  // 16.16 depth
      pixels += tovo_tline(0, y << 16, 127 << 16, y << 16, 0x40000 - z * 4, z * 2, z / 16, 0, 0);
    }
  }
  state.SetItemsProcessed(pixels);
}
BENCHMARK(BM_TlineFloor);

}  // namespace
