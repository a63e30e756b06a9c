// Script bindings: 1,000,000 poke4 calls into screen memory from a cart
// against the same words written with tovo_poke; peek(0, 8192); sub(s, i, i)
// over a 64 KiB string (from both ends: positions above 32767 are reached
// with negative indices); stat(0) per call.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/support/machine.h"
#include "console/bindings/api_list.h"
#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/script_host.h"
#include "script/api/api.h"
#include "script/api/auxlib.h"
#include "script/vm/cpu.h"

namespace {

lua_State* machine_state() {
  static lua_State* L = nullptr;
  if (L) return L;
  bench_make_machine();
  L = luaL_newstate();
  lua_sethost(L, &tovo_script_host);
  add_c_functions(L);
  add_c_functions_system(L);
  L0() = L;  // the state in use, which the machine charges
  return L;
}

// Compiles src once into a global function "f" and calls it each iteration
// with an unlimited cycle budget.
void run_script(benchmark::State& state, const char* setup, const char* body, int64_t items) {
  lua_State* L = machine_state();
  lua_set_cpu_cycles_slice_max(L, INT32_MAX);
  if (luaL_loadstring(L, setup) != 0 || lua_pcall(L, 0, 0, 0) != 0 || luaL_loadstring(L, body) != 0) {
    state.SkipWithError("script did not compile");
    return;
  }
  lua_setglobal(L, "bench_body");
  for (auto _ : state) {
    lua_reset_cpu_cycles(L);
    lua_getglobal(L, "bench_body");
    if (lua_pcall(L, 0, 0, 0) != 0) {
      state.SkipWithError("script failed");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * items);
}

void BM_Poke4ScreenFromScript(benchmark::State& state) {
  run_script(state, "v = 0x1234.5678", "for j = 1, 100 do for i = 0, 9999 do poke4(0x6000 + (i & 0x1ffc), v) end end",
             1000000);
}

void BM_Poke4ScreenThroughTovoPoke(benchmark::State& state) {
  machine_state();
  const uint32_t v = 0x12345678;
  for (auto _ : state) {
    for (int32_t i = 0; i < 1000000; i++) {
      int32_t a = 0x6000 + (i & 0x1ffc);
      for (int b = 0; b < 4; b++) tovo_poke(&pstate(), pstate().cart, a + b, static_cast<int32_t>(v >> (8 * b) & 0xff));
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
}

void BM_Peek8192(benchmark::State& state) { run_script(state, "", "peek(0, 8192)", 8192); }

void BM_SubEveryByteOf64KiB(benchmark::State& state) {
  run_script(state, "s = 'abcdefgh' for i = 1, 13 do s = s .. s end",
             "for i = 1, 32767 do sub(s, i, i) sub(s, -i, -i) end", 65534);
}

void BM_Stat0(benchmark::State& state) { run_script(state, "", "for i = 1, 100 do stat(0) end", 100); }

BENCHMARK(BM_Poke4ScreenFromScript)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Poke4ScreenThroughTovoPoke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peek8192)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SubEveryByteOf64KiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stat0)->Unit(benchmark::kMicrosecond);

}  // namespace
