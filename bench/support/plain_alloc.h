#pragma once
// The allocator benchmarks hand to lua_newstate: plain realloc and free,
// with no accounting, so that only the runtime's own work is timed.
#include <cstddef>
#include <cstdlib>

inline void* plain_alloc(void*, void* block, size_t, size_t new_size) {
  if (new_size == 0) {
    std::free(block);
    return nullptr;
  }
  return std::realloc(block, new_size);
}
