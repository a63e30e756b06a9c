// The run loop: host time of a whole 279620-cycle slice of a tight loop, of
// an empty flip() frame, and the cycles and host time of the epilogue's
// per-frame work (a cart with empty _update and _draw).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "console/cart.h"
#include "console/code_tabs.h"
#include "console/draw_display.h"
#include "console/pstate.h"
#include "console/run.h"
#include "console/run_state.h"
#include "engine/gfx.h"
#include "script/api.h"
#include "script/cpu.h"

namespace {

int32_t fixed_clock() { return 1000; }

// A machine with a cart running the given code, torn down at the end.
struct Machine {
  explicit Machine(const char* code) {
    std::memset(&run_state, 0, sizeof run_state);
    tovo_clock = fixed_clock;
    pstate.cart = tarq_create_tovo_cart();
    for (auto& screen : pstate.screens) screen = tarq_create_bitmap(128, 128, 8);
    pitem[0] = tarq_create_tovo_cart();
    pitems = 1;
    set_draw_display(0);
    std::snprintf(pitem[0]->code, TOVO_CODE_SIZE, "%s", code);
    split_code_to_tabs(pitem[0]);
    run_cart();
    run_slice();  // the top level and the first frame
  }
  ~Machine() {
    if (L0_cart) lua_close(L0_cart);
    L0_cart = L0_command = L0 = nullptr;
    tarq_destroy_tovo_cart(pitem[0]);
    pitem[0] = nullptr;
    tarq_destroy_tovo_cart(pstate.cart);
    pstate.cart = nullptr;
    pstate.draw_target = nullptr;
    for (auto& screen : pstate.screens) screen = tarq_destroy_bitmap(screen);
  }
};

void BM_TightLoopSlice(benchmark::State& state) {
  Machine m("n=0 while true do n+=1 end");
  for (auto _ : state) run_slice();
  state.counters["cycles/slice"] = cpu_cycles_slice_max;
}
BENCHMARK(BM_TightLoopSlice)->Unit(benchmark::kMicrosecond);

void BM_EmptyFlipFrame(benchmark::State& state) {
  Machine m("while true do flip() end");
  for (auto _ : state) run_slice();
}
BENCHMARK(BM_EmptyFlipFrame)->Unit(benchmark::kMicrosecond);

void BM_EpilogueFrame(benchmark::State& state) {
  Machine m("function _update() end function _draw() end");
  for (auto _ : state) run_slice();
  // The frame's cycles up to _mark_cpu(2): the epilogue's own work.
  state.counters["cycles/frame"] = run_state.mark_cycles[2];
}
BENCHMARK(BM_EpilogueFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
