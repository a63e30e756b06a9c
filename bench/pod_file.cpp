// Loading a pod file of a few MiB from memory, plain and with LZ4 chunks.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/formats/pod_file.h"
#include "engine/formats/pod_file_write.h"
#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "engine/tracked_mem.h"

namespace {

// 48 bitmaps of 256 x 256 (3 MiB of pixels) with picture-like runs, and one embedded file.
std::string make_pod_file(int compressed) {
  tarq_pod* pod = tarq_create_pod(0);
  uint32_t seed = 1;
  for (int i = 0; i < 48; i++) {
    tarq_bitmap* b = tarq_create_bitmap(256, 256, 8);
    uint8_t colour = 0;
    for (int p = 0; p < 256 * 256; p++) {
      seed = seed * 1664525u + 1013904223u;
      if ((seed >> 24) < 40) colour = (uint8_t)(seed >> 8) & 15;
      b->pixels[p] = colour;
    }
    cpod_add_item(pod, TARQ_ITEM_BITMAP, b);
  }
  tarq_file* cart = tarq_create_buffer(1 << 16);
  for (int i = 0; i < 4096; i++) cbuffer_add_string(cart, "print(\"hello\") ");
  cpod_add_item(pod, TARQ_ITEM_FILE, cart);
  cconfig.pod_compression = compressed;
  tarq_file* out = tarq_create_buffer(1 << 20);
  tarq_save_pod_file("bench", pod, out);
  cconfig.pod_compression = 0;
  std::string bytes((const char*)out->data, (size_t)out->size);
  tarq_destroy_buffer(out);
  tarq_destroy_pod(pod);
  return bytes;
}

void BM_LoadPodFile(benchmark::State& state) {
  std::string bytes = make_pod_file((int)state.range(0));
  for (auto _ : state) {
    tarq_file* f = tarq_fopen_memory(bytes.data(), (int32_t)bytes.size());
    tarq_pod* pod = tarq_load_pod_file("bench", f);
    benchmark::DoNotOptimize(pod);
    tarq_destroy_pod(pod);
    tarq_fclose(f);
  }
  state.SetLabel(state.range(0) ? "lz4" : "plain");
  state.counters["file_MiB"] = (double)bytes.size() / (1 << 20);
  state.SetBytesProcessed((int64_t)state.iterations() * 48 * 65536);
}
BENCHMARK(BM_LoadPodFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
