// The memory map: ns per tovo_peek_4 and per tovo_poke by page kind, memcpy
// throughput between the sheet, screen, user and upper memory, and memset of
// the screen.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/support/machine.h"
#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/mem_bulk.h"
#include "console/machine/pstate.h"

namespace {

// A machine as the shell sets it up, made once.
void ensure_machine() {
  if (pstate().cart) return;
  bench_make_machine();
}

// One base address per page kind; each run touches 1024 bytes from it.
void page_kinds(benchmark::internal::Benchmark* b) {
  b->ArgNames({"base"});
  for (int64_t base : {0x0000, 0x2000, 0x3200, 0x4400, 0x6000, 0x8000}) b->Arg(base);
}

void BM_Peek4(benchmark::State& state) {
  ensure_machine();
  const int32_t base = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    int32_t sum = 0;
    for (int32_t i = 0; i < 1024; i += 4) sum += tovo_peek_4((base + i) << 16);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_Peek4)->Apply(page_kinds);

void BM_Poke(benchmark::State& state) {
  ensure_machine();
  const int32_t base = static_cast<int32_t>(state.range(0));
  tovo_cart* cart = pstate().cart;
  for (auto _ : state) {
    for (int32_t i = 0; i < 1024; i++) tovo_poke(&pstate(), cart, base + i, i);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_Poke)->Apply(page_kinds);

void BM_Memcpy(benchmark::State& state) {
  ensure_machine();
  const int32_t dst = static_cast<int32_t>(state.range(0)), src = static_cast<int32_t>(state.range(1));
  const int32_t n = static_cast<int32_t>(state.range(2));
  for (auto _ : state) {
    tovo_memcpy(&pstate(), pstate().cart, dst, src, n);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * n);
}
BENCHMARK(BM_Memcpy)
    ->ArgNames({"dst", "src", "n"})
    ->Args({0x0000, 0x6000, 0x2000})   // screen to sheet
    ->Args({0x6000, 0x0000, 0x2000})   // sheet to screen
    ->Args({0x8000, 0x6000, 0x2000})   // screen to upper
    ->Args({0x6000, 0x8000, 0x2000})   // upper to screen
    ->Args({0x8000, 0x4300, 0x1b00})   // user to upper
    ->Args({0x4300, 0x8000, 0x1b00});  // upper to user

void BM_MemsetScreen(benchmark::State& state) {
  ensure_machine();
  int32_t value = 0;
  for (auto _ : state) {
    tovo_memset(&pstate(), pstate().cart, 0x6000, value++, 0x2000);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 0x2000);
}
BENCHMARK(BM_MemsetScreen);

}  // namespace
