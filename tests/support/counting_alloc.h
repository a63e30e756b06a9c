#pragma once
// A counting allocator for interpreter states in tests: it keeps the bytes
// in use, can refuse requests above a size or past a limit, and checks that
// the runtime passes back the sizes it was given.
#include <cstddef>

struct counting_alloc {
  size_t in_use = 0;           // bytes currently allocated
  size_t peak = 0;             // largest in_use seen
  size_t blocks = 0;           // live blocks
  size_t fail_above = 0;       // refuse any request larger than this (0: never)
  size_t limit = 0;            // refuse growth that would pass this total (0: none)
  size_t refusals = 0;         // requests refused
  size_t size_mismatches = 0;  // frees or resizes whose old size was wrong
};

// The allocator hook: user data is a counting_alloc.
void* counting_alloc_fn(void* ud, void* block, size_t old_size, size_t new_size);
