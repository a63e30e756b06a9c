// Print throughput: a frame of 21 lines of 32 characters, one print a line,
// plain and with styles; the time per iteration is the time per frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>

#include "bench/support/machine.h"
#include "console/draw/gfx_state.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/print/print.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"

namespace {

constexpr int LINES = 21;
constexpr int CHARS = 32;

// A machine and a font pod whose glyphs have about half their pixels set.
void ensure_machine() {
  if (pstate().cart) return;
  bench_make_machine();
  set_draw_display(0);
  tarq_pod* font = tarq_create_pod(256);
  for (int c = 0; c < 256; c++) {
    const int w = c < 128 ? 4 : 8;
    tarq_bitmap* g = tarq_create_bitmap(w, 6, 8);
    for (int r = 0; r < 6; r++) {
      for (int j = 0; j < w; j++) g->rows[r][j] = static_cast<uint8_t>((c >> ((r + j) & 7)) & 1);
    }
    cpod_add_item(font, TARQ_ITEM_BITMAP, g);
  }
  tovo_set_console_font(font);
}

// Argument: 0 plain, 1 solid background and inverted, 2 wide and tall with
// a per-line colour code.
void BM_PrintFrame(benchmark::State& state) {
  ensure_machine();
  // clang-format off
  static const char* prefix[] = {"", "\x06#\x06i", "\x06w\x06t\x0c" "9"};
  // clang-format on
  char lines[LINES][64];
  for (int i = 0; i < LINES; i++) {
    int n = std::snprintf(lines[i], sizeof lines[i], "%s", prefix[state.range(0)]);
    for (int k = 0; k < CHARS; k++) lines[i][n++] = static_cast<char>('!' + (i * 7 + k) % 90);
    lines[i][n] = 0;
  }
  pstate().ram[0x5f36] = 0x04;
  for (auto _ : state) {
    for (int i = 0; i < LINES; i++) {
      pstate().cursor_x = pstate().print_home_x = 0;
      pstate().cursor_y = i * 6;
      tovo_print_text(pstate().draw_target, lines[i], static_cast<int32_t>(std::strlen(lines[i])), 0, 7 | 1 << 4);
    }
  }
  pstate().ram[0x5f36] = 0;
  state.SetItemsProcessed(state.iterations() * LINES * CHARS);
}
BENCHMARK(BM_PrintFrame)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
