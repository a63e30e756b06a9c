// Pushing a 64 KiB state with a one-byte change onto an undo stack.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/data/undo.h"
#include "engine/io/file.h"
#include "engine/tracked_mem.h"

namespace {

tarq_file* make_state(const std::string& bytes) {
  tarq_file* f = tarq_create_buffer((int32_t)bytes.size());
  cbuffer_add_data(f, bytes.data(), (int32_t)bytes.size());
  return f;
}

void BM_UndoPushOneByteChange(benchmark::State& state) {
  std::string body(65536 + 24, 'x');
  for (size_t i = 0; i < body.size(); i++) body[i] = (char)('a' + i % 23);
  tarq_undo_stack* stack = tarq_create_undo_stack();
  stack->trailer_length = 24;
  tarq_push_undo_state(make_state(body), stack, 0);
  size_t at = 0;
  for (auto _ : state) {
    at = (at + 4099) % 65536;
    body[at] ^= 1;
    tarq_push_undo_state(make_state(body), stack, 0);
    if (stack->undo->size > (64 << 20)) {  // keep the history from growing without bound
      state.PauseTiming();
      tarq_clear_undo_stack(stack);
      tarq_push_undo_state(make_state(body), stack, 0);
      state.ResumeTiming();
    }
  }
  state.SetBytesProcessed((int64_t)state.iterations() * 65536);
  tarq_destroy_undo_stack(stack);
}
BENCHMARK(BM_UndoPushOneByteChange);

}  // namespace
