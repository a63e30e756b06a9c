#pragma once
// Small blocks for a host's allocator to take from in place of the C
// library's heap: the runtime makes and frees many small objects (strings,
// closures, tables, upvalues), and a free list per size class serves them in
// a few instructions. Blocks of up to TOVO_SMALL_MAX bytes come in classes of
// TOVO_SMALL_GRAIN bytes, carved from chunks that the pool keeps until it is
// released. The host counts memory above the pool as it would above malloc:
// the pool changes no count. A pool is used by one thread.
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
// Under AddressSanitizer a free block is poisoned but for its link word, so
// that a use after free is still caught.
#define TOVO_SMALL_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define TOVO_SMALL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define TOVO_SMALL_POISON(p, n) ((void)(p), (void)(n))
#define TOVO_SMALL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

constexpr size_t TOVO_SMALL_GRAIN = 16;
constexpr size_t TOVO_SMALL_MAX = 256;
constexpr size_t TOVO_SMALL_CLASSES = TOVO_SMALL_MAX / TOVO_SMALL_GRAIN;

struct tovo_small_pool {
  void* free_list[TOVO_SMALL_CLASSES] = {};  // linked through each block's first word
  char* fresh = nullptr;                     // the unused rest of the newest chunk
  size_t fresh_left = 0;
  void* chunks = nullptr;  // every chunk, linked through its first word
  // Where chunks come from: null for std::malloc; any other source must hand
  // out blocks that std::free releases (tests put one here that fails).
  void* (*chunk_source)(size_t) = nullptr;
};

// The bytes a block of size bytes (1..TOVO_SMALL_MAX) really has: its class.
inline size_t tovo_small_capacity(size_t size) { return (size + TOVO_SMALL_GRAIN - 1) & ~(TOVO_SMALL_GRAIN - 1); }

// A block of size bytes (1..TOVO_SMALL_MAX), aligned to TOVO_SMALL_GRAIN;
// null when no chunk can be had, and the pool is then as it was.
void* luaM_small_alloc(tovo_small_pool* pool, size_t size);

// luaM_small_alloc with the pop from the class's free list inline.
inline void* tovo_small_take(tovo_small_pool* pool, size_t size) {
  void** list = &pool->free_list[(size - 1) / TOVO_SMALL_GRAIN];
  void* block = *list;
  if (block == nullptr) return luaM_small_alloc(pool, size);
  *list = *static_cast<void**>(block);
  TOVO_SMALL_UNPOISON(block, tovo_small_capacity(size));
  return block;
}

// Gives back a block made for size bytes (any size of the same class).
inline void tovo_small_free(tovo_small_pool* pool, void* block, size_t size) {
  void** list = &pool->free_list[(size - 1) / TOVO_SMALL_GRAIN];
  *static_cast<void**>(block) = *list;
  *list = block;
  TOVO_SMALL_POISON(static_cast<char*>(block) + sizeof(void*), tovo_small_capacity(size) - sizeof(void*));
}

// Frees every chunk: every block of the pool is gone (the chunk source stays).
void luaM_small_release(tovo_small_pool* pool);
