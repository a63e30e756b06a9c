// The instruction loop: time per virtual cycle on arithmetic loops, table
// loops, script and fast native calls, and concatenation.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/support/plain_alloc.h"
#include "script/api/api.h"
#include "script/api/auxlib.h"
#include "script/vm/cpu.h"
#include "script/vm/state.h"

namespace {

int fast_add(lua_State* L) {
  const TValue* args = L->top - L->nargs;
  return static_cast<int>(static_cast<uint32_t>(lua_tonumber_from_tvalue(args)) +
                          static_cast<uint32_t>(lua_tonumber_from_tvalue(args + 1)));
}

// Runs the program once per iteration and reports the time per cycle it
// was charged.
void run_program(benchmark::State& state, const char* program) {
  lua_State* L = lua_newstate(plain_alloc, nullptr);
  lua_pushcclosure(L, fast_add, TOVO_FAST_CFUNCTION);
  lua_setglobal(L, "fadd");
  if (luaL_loadbufferx(L, program, std::strlen(program), "=bench", "t") != LUA_OK) {
    state.SkipWithError(lua_tostring(L, -1));
    lua_close(L);
    return;
  }
  lua_set_cpu_cycles_slice_max(L, INT32_MAX);
  int64_t cycles = 0;
  for (auto _ : state) {
    lua_pushvalue(L, -1);
    lua_reset_cpu_cycles(L, 0);
    if (lua_pcall(L, 0, 1, 0) != LUA_OK) {
      state.SkipWithError(lua_tostring(L, -1));
      break;
    }
    cycles += lua_get_cpu_cycles(L);
    lua_pop(L, 1);
  }
  state.counters["s_per_cycle"] =
      benchmark::Counter(static_cast<double>(cycles), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  lua_close(L);
}

void BM_ArithmeticLoop(benchmark::State& state) {
  run_program(state, "local s = 0 for i = 1, 10000 do s = s + i * 2 - (i & 3) + (i >> 1) end return s");
}
BENCHMARK(BM_ArithmeticLoop);

void BM_TableLoop(benchmark::State& state) {
  run_program(state,
              "local t = {} for i = 1, 1000 do t[i] = i end "
              "local s = 0 for j = 1, 10 do for i = 1, #t do s = s + t[i] end end "
              "local h = {} for i = 1, 500 do h['k' .. (i & 63)] = i end return s");
}
BENCHMARK(BM_TableLoop);

void BM_ScriptCalls(benchmark::State& state) {
  run_program(state, "local function f(a, b) return a + b end local s = 0 for i = 1, 5000 do s = f(s, 1) end return s");
}
BENCHMARK(BM_ScriptCalls);

void BM_FastNativeCalls(benchmark::State& state) {
  run_program(state, "local f, s = fadd, 0 for i = 1, 5000 do s = f(s, 1) end return s");
}
BENCHMARK(BM_FastNativeCalls);

void BM_Concatenation(benchmark::State& state) {
  run_program(
      state,
      "local n = 0 for j = 1, 20 do local s = '' for i = 1, 50 do s = s .. 'ab' .. i end n = n + #s end return n");
}
BENCHMARK(BM_Concatenation);

}  // namespace
