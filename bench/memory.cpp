// The tracked allocator against plain malloc, byte-by-byte appends to a
// memory buffer, and reading a text line by line from a memory stream.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "engine/tracked_mem.h"

namespace {

void BM_TrackedMallocFree(benchmark::State& state) {
  size_t n = static_cast<size_t>(state.range(0));
  for (auto _ : state) {
    void* p = tarq_malloc(n);
    benchmark::DoNotOptimize(p);
    tarq_free(p);
  }
}
BENCHMARK(BM_TrackedMallocFree)->RangeMultiplier(2)->Range(16, 256)->Arg(1 << 20);

void BM_PlainMallocFree(benchmark::State& state) {
  size_t n = static_cast<size_t>(state.range(0));
  for (auto _ : state) {
    void* p = malloc(n);
    benchmark::DoNotOptimize(p);
    free(p);
  }
}
BENCHMARK(BM_PlainMallocFree)->RangeMultiplier(2)->Range(16, 256)->Arg(1 << 20);

void BM_BufferAppendBytes(benchmark::State& state) {
  constexpr int count = 1000000;
  for (auto _ : state) {
    tarq_file* b = tarq_create_buffer(0);
    for (int i = 0; i < count; i++) cbuffer_add_uint8(b, static_cast<uint8_t>(i));
    benchmark::DoNotOptimize(b->data);
    tarq_destroy_buffer(b);
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_BufferAppendBytes)->Unit(benchmark::kMillisecond);

void BM_ReadLinesFromMemory(benchmark::State& state) {
  std::string text;
  for (int line = 0; text.size() < 65536; line++) {
    text += "line " + std::to_string(line) + " of some text for the reader";
    text += line % 3 == 0 ? "\r\n" : "\n";
  }
  text.resize(65536);
  char buf[256];
  for (auto _ : state) {
    tarq_file* f = tarq_fopen_memory(text.data(), static_cast<int32_t>(text.size()));
    int lines = 0;
    while (tarq_fgets_sensitive(buf, sizeof buf, f)) lines++;
    benchmark::DoNotOptimize(lines);
    tarq_fclose(f);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReadLinesFromMemory);

}  // namespace
