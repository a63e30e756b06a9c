// SHA-1 throughput.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/formats/sha1.h"

namespace {

void BM_Sha1(benchmark::State& state) {
  std::vector<unsigned char> data((size_t)state.range(0));
  for (size_t i = 0; i < data.size(); i++) data[i] = (unsigned char)(i * 31);
  char out[TARQ_SHA1_TEXT_SIZE];
  for (auto _ : state) {
    tarq_sha1(data.data(), data.size(), out);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed((int64_t)state.iterations() * state.range(0));
}
BENCHMARK(BM_Sha1)->Arg(64)->Arg(32 << 10)->Arg(1 << 20);

}  // namespace
