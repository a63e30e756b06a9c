// 16.16 arithmetic and number text conversions: ns per operation.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "console/machine/fixed_math.h"
#include "console/run/spend_cpu.h"
#include "script/value/number.h"

namespace {

std::vector<int32_t> operands(size_t n, uint32_t mask, uint32_t set_bits) {
  std::mt19937 rng(42);
  std::vector<int32_t> v(n);
  for (auto& x : v) x = static_cast<int32_t>((rng() & mask) | set_bits);
  return v;
}

template <int32_t (*F)(int32_t, int32_t)>
void binary_op(benchmark::State& state, uint32_t amask, uint32_t bmask, uint32_t bset) {
  auto a = operands(1024, amask, 0), b = operands(1024, bmask, bset);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(F(a[i & 1023], b[i & 1023]));
    i++;
  }
}

// The power as the console runs it, charging its roots.
int32_t charged_pow(int32_t a, int32_t b) { return kx_fpow(a, b, spend_cpu); }

void BM_Mul(benchmark::State& s) { binary_op<kx_fmul>(s, 0xffffffffu, 0xffffffffu, 0); }
void BM_DivWholeDivisor(benchmark::State& s) { binary_op<kx_fdiv>(s, 0xffffffffu, 0x00ff0000u, 0x10000); }
void BM_DivGeneral(benchmark::State& s) { binary_op<kx_fdiv>(s, 0xffffffffu, 0x00ffffffu, 1); }
void BM_Mod(benchmark::State& s) { binary_op<kx_fmod>(s, 0xffffffffu, 0x00ffffffu, 1); }
void BM_Shl(benchmark::State& s) { binary_op<tovo_shl>(s, 0xffffffffu, 0x003f0000u, 0); }
void BM_Ashr(benchmark::State& s) { binary_op<tovo_ashr>(s, 0xffffffffu, 0x003f0000u, 0); }
void BM_Rotl(benchmark::State& s) { binary_op<tovo_rotl>(s, 0xffffffffu, 0x001f0000u, 0); }
void BM_PowWhole(benchmark::State& s) { binary_op<charged_pow>(s, 0x0003ffffu, 0x00070000u, 0); }
void BM_PowFraction(benchmark::State& s) { binary_op<charged_pow>(s, 0x0003ffffu, 0x0003ffffu, 0); }

void BM_NumberToText(benchmark::State& state) {
  auto a = operands(1024, 0xffffffffu, 0);
  char buf[TOVO_NUMBER_TEXT];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tovo_fixed_to_string(buf, a[i & 1023]));
    i++;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_TextToNumber(benchmark::State& state, const char* text) {
  size_t len = std::char_traits<char>::length(text);
  lua_Number n;
  for (auto _ : state) benchmark::DoNotOptimize(luaO_str2d(text, len, &n));
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_Mul);
BENCHMARK(BM_DivWholeDivisor);
BENCHMARK(BM_DivGeneral);
BENCHMARK(BM_Mod);
BENCHMARK(BM_Shl);
BENCHMARK(BM_Ashr);
BENCHMARK(BM_Rotl);
BENCHMARK(BM_PowWhole);
BENCHMARK(BM_PowFraction);
BENCHMARK(BM_NumberToText);
BENCHMARK_CAPTURE(BM_TextToNumber, decimal, "1234.5678");
BENCHMARK_CAPTURE(BM_TextToNumber, hex, "0x12ab.cd");
BENCHMARK_CAPTURE(BM_TextToNumber, binary, "0b1011.01");

}  // namespace
