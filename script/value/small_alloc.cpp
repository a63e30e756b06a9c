// The small-block pool: free lists first, then the newest chunk.
#include "script/value/small_alloc.h"

#include <cstdlib>

namespace {

constexpr size_t CHUNK = 64 * 1024;

}  // namespace

void* luaM_small_alloc(tovo_small_pool* pool, size_t size) {
  void** list = &pool->free_list[(size - 1) / TOVO_SMALL_GRAIN];
  size_t capacity = tovo_small_capacity(size);
  if (void* block = *list) {
    *list = *static_cast<void**>(block);
    TOVO_SMALL_UNPOISON(block, capacity);
    return block;
  }
  if (pool->fresh_left < capacity) {
    // The new chunk first: when it cannot be had the rest of the old one
    // stays where it is, served by nothing else.
    char* chunk = static_cast<char*>(pool->chunk_source ? pool->chunk_source(CHUNK) : std::malloc(CHUNK));
    if (chunk == nullptr) return nullptr;
    // The rest of the old chunk (a whole number of grains, less than one
    // block of this class) becomes a free block of a smaller class.
    if (pool->fresh_left != 0) {
      TOVO_SMALL_UNPOISON(pool->fresh, pool->fresh_left);
      tovo_small_free(pool, pool->fresh, pool->fresh_left);
    }
    *reinterpret_cast<void**>(chunk) = pool->chunks;
    pool->chunks = chunk;
    pool->fresh = chunk + TOVO_SMALL_GRAIN;  // the link word's grain
    pool->fresh_left = CHUNK - TOVO_SMALL_GRAIN;
    TOVO_SMALL_POISON(pool->fresh, pool->fresh_left);
  }
  void* block = pool->fresh;
  TOVO_SMALL_UNPOISON(block, capacity);
  pool->fresh += capacity;
  pool->fresh_left -= capacity;
  return block;
}

void luaM_small_release(tovo_small_pool* pool) {
  for (void* chunk = pool->chunks; chunk != nullptr;) {
    void* next = *static_cast<void**>(chunk);
    TOVO_SMALL_UNPOISON(chunk, CHUNK);
    std::free(chunk);
    chunk = next;
  }
  void* (*source)(size_t) = pool->chunk_source;
  *pool = tovo_small_pool{};
  pool->chunk_source = source;
}
