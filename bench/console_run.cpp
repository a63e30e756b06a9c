// The run loop: host time of a whole 279620-cycle slice of a tight loop, of
// an empty flip() frame, and the cycles and host time of the epilogue's
// per-frame work (a cart with empty _update and _draw).
#include <benchmark/benchmark.h>

#include <cstring>

#include "console/run/run.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "player/console_port.h"
#include "script/vm/cpu.h"
#include "tests/support/cart_machine.h"

namespace {

// A machine with a cart running the given code, torn down at the end.
struct Machine {
  explicit Machine(const char* code) {
    std::memset(&run_state(), 0, sizeof run_state());
    run_state().clock_held = 1;  // the clock stands still at 1000 ms
    run_state().held_clock_ms = 1000;
    connect_console_to_shell();  // the run loop reaches the shell as in the player
    tovo_test::create_cart_machine();
    tovo_test::set_cart_code(code);
    run_cart();
    run_slice();  // the top level and the first frame
  }
  ~Machine() { tovo_test::destroy_cart_machine(); }
};

void BM_TightLoopSlice(benchmark::State& state) {
  Machine m("n=0 while true do n+=1 end");
  for (auto _ : state) run_slice();
  state.counters["cycles/slice"] = lua_cpu(L0()).cpu_cycles_slice_max;
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
  state.counters["cycles/frame"] = run_state().mark_cycles[2];
}
BENCHMARK(BM_EpilogueFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
