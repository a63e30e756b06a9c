// The performance ring, its overlay and the busy indicator.
#include <cstdio>

#include "console/draw/gfx_shapes.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/run.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/spend_cpu.h"
#include "engine/data/gfx.h"
#include "engine/data/prng.h"
#include "engine/data/text.h"
#include "engine/platform/events.h"
#include "engine/tarq.h"
#include "script/vm/cpu.h"

namespace {

constexpr int32_t MEMORY_CAP = 0x200000;
constexpr int32_t SPINNER_MIN_TICKS = 239;
constexpr int32_t SPINNER_MIN_LOAD = 0x780000;
constexpr int32_t SPINNER_STEP_MS = 120;

int32_t* entry(int i) { return run_state().perf[(run_state().perf_index + i) % TOVO_PERF_ENTRIES]; }

// Wrapping 32-bit arithmetic with remainders that take the dividend's sign.
int32_t wrap(uint32_t v) { return static_cast<int32_t>(v); }

void spinner_cell(tarq_bitmap* b, int col, int row, int32_t colour) {
  int32_t x = 3 + col * 2;
  int32_t y = 3 + row * 2;
  tarq_rectfill(b, x, y, x + 2, y + 2, 0);
  tarq_putpixel(b, x + 1, y + 1, static_cast<uint32_t>(colour));
}

}  // namespace

void record_resource_data() {
  tovo_run_state& r = run_state();
  int32_t* e = r.perf[r.perf_index];
  long long memory = static_cast<long long>(pstate().script_memory) + pstate().code_overhead;
  if (memory > MEMORY_CAP) memory = MEMORY_CAP;
  if (memory < 0) memory = 0;
  e[TOVO_PERF_MEMORY] = static_cast<int32_t>(memory * 64);
  e[TOVO_PERF_CPU] = cycles_2_frame_capacity(tovo_program_cycles());
  e[TOVO_PERF_SPEND] = cycles_2_frame_capacity(r.spend_counter);
  e[TOVO_PERF_COLOUR] = r.halve_request ? 7 : r.current_fps < r.target_fps ? 14 : 6;
  e[TOVO_PERF_TIMING] = r.frame_timing;
  e[TOVO_PERF_FPS] = tarq_get_fps();
  r.perf_index = (r.perf_index + 1) % TOVO_PERF_ENTRIES;
  for (int w = 0; w < TOVO_PERF_WORDS; w++) r.perf[r.perf_index][w] = 0;
}

void draw_resource_data(tarq_bitmap* b) {
  if (!b) return;
  draw_tinted_rect_adaptive(b, 60, 4, 123, 26, 0);
  tarq_set_clip(b, 60, 4, 124, 27);
  long long cpu_sum = 0;
  for (int i = 0; i < TOVO_PERF_ENTRIES; i++) {
    const int32_t* e = entry(i);  // oldest first
    int32_t x = 60 + i;
    tarq_putpixel(b, x, 19, 2);
    int32_t cpu = e[TOVO_PERF_CPU];
    cpu_sum += cpu;
    if (cpu < 0) cpu = 0;
    if (cpu > 0x17fff) cpu = 0x17fff;
    int32_t colour = e[TOVO_PERF_COLOUR] ? e[TOVO_PERF_COLOUR] : 1;
    tarq_putpixel(b, x, 19 - static_cast<int32_t>(static_cast<long long>(cpu) * 16 / 98304),
                  static_cast<uint32_t>(colour));
    if (i >= 1) {
      int32_t timing = e[TOVO_PERF_TIMING];
      tarq_putpixel(b, x, 2 + timing / 0x8000, timing > 0x1ffff ? 8 : 2);
    }
  }
  const int32_t* newest = entry(TOVO_PERF_ENTRIES - 1);
  char text[64];
  if (tarq_get_key_state(SDL_SCANCODE_LSHIFT))
    std::snprintf(text, sizeof text, "%d/%d %3.1f fps", run_state().current_fps, run_state().target_fps,
                  static_cast<double>(newest[TOVO_PERF_FPS]));
  else
    std::snprintf(text, sizeof text, "%d/%d %1.2f %1.2f", run_state().current_fps, run_state().target_fps,
                  newest[TOVO_PERF_CPU] / 65536.0, static_cast<double>(cpu_sum) / TOVO_PERF_ENTRIES / 65536.0);
  uint32_t colour = run_state().current_fps < run_state().target_fps ? 8 : 13;
  if (tovo_console_font()) tarq_draw_text_ex(b, text, tovo_console_font(), 63, 20, 1, colour);
  tarq_reset_clip(b);
  tarq_rect(b, 59, 3, 124, 27, 0);
}

void draw_cpu_spinner(tarq_bitmap* b) {
  if (!b || !run_state().has_draw || run_state().frame_ticks <= SPINNER_MIN_TICKS || !run_state().running ||
      !run_state().program || cycles_2_frame_capacity(tovo_program_cycles()) < SPINNER_MIN_LOAD)
    return;
  static const uint32_t steps[3][4] = {{41205, 82, 16, 8}, {43215, 86, 24, 12}, {45225, 90, 32, 16}};
  uint32_t e = static_cast<uint32_t>(tovo_clock() / SPINNER_STEP_MS);
  for (int col = 0; col < 3; col++) {
    for (int row = 0; row < 3; row++) {
      uint32_t r = static_cast<uint32_t>(row);
      int32_t a = wrap(e * steps[col][0] + 103 + r * e * steps[col][1]);
      int32_t bq = wrap(e * steps[col][2] + 103 + r * e * steps[col][3]);
      if (((a % 4701) % 97) & 4) spinner_cell(b, col, row, tarq_random(2) ? 12 : 14);
      if (((bq % 4701) % 101) & 8) spinner_cell(b, col, row, 7);
    }
  }
}
