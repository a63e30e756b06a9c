// The console allocator. Each block has a header in front of the pointer
// handed to the runtime holding the bytes counted for it and, for a block
// from the small-block pool, the bytes of its class (0 for a block of the
// engine's allocator); the header is as large as the host's strictest
// fundamental alignment, so blocks stay aligned for pointers and 64-bit words.
#include "console/machine/alloc.h"

#include <cstdint>
#include <cstring>

#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "engine/mem.h"
#include "script/value/object.h"
#include "script/value/small_alloc.h"
#include "script/vm/cpu.h"

namespace {

constexpr size_t HEADER = alignof(std::max_align_t);
constexpr int64_t SOFT_LIMIT = 0x204000;
constexpr int64_t HARD_LIMIT = 0x4000000;
constexpr int32_t FIXED_OBJECT_CHARGE = 32;

static_assert(HEADER >= 2 * sizeof(int32_t) && HEADER % TOVO_SMALL_GRAIN == 0);

// The pool of the small blocks (header included) of every interpreter state.
tovo_small_pool small_blocks;

int32_t counted_of(void* block) {
  int32_t n;
  std::memcpy(&n, static_cast<char*>(block) - HEADER, sizeof n);
  return n;
}

// The bytes of a pool block's class, header included; 0 for an engine block.
uint32_t pooled_of(void* block) {
  uint32_t n;
  std::memcpy(&n, static_cast<char*>(block) - HEADER + sizeof(int32_t), sizeof n);
  return n;
}

void free_base(char* base, uint32_t pooled) {
  if (pooled != 0) {
    tovo_small_free(&small_blocks, base, pooled);
  } else {
    tarq_free(base);
  }
}

// A new block of total bytes (header included), from the pool when small
// enough, with its class written in its header; null when it cannot be had.
char* new_base(size_t total) {
  uint32_t pooled = 0;
  char* base;
  if (total <= TOVO_SMALL_MAX) {
    base = static_cast<char*>(luaM_small_alloc(&small_blocks, total));
    pooled = static_cast<uint32_t>(tovo_small_capacity(total));
  } else {
    base = static_cast<char*>(tarq_malloc(total));
  }
  if (base) std::memcpy(base + sizeof(int32_t), &pooled, sizeof pooled);
  return base;
}

// The block resized to total bytes (header included): in place while it
// fits its pool class, else moved; an engine block stays with the engine.
char* resized_base(char* base, uint32_t pooled, size_t total) {
  if (pooled == 0) return static_cast<char*>(tarq_realloc(base, total));
  if (total <= pooled) return base;
  char* moved = new_base(total);
  if (!moved) return nullptr;
  std::memcpy(moved + HEADER, base + HEADER, pooled - HEADER);
  tovo_small_free(&small_blocks, base, pooled);
  return moved;
}

// Bytes counted for a new block; tag is the runtime's type tag of the object
// (0 for memory that is no object). Long strings and native closures count
// their size: a cart could otherwise hold any amount of host memory in long
// strings without ever reaching the limit.
int32_t count_for_new(size_t tag, size_t new_size) {
  int32_t size = static_cast<int32_t>(new_size);
  switch (tag) {
    case 0: return pstate.compiling ? 0 : size;  // the program charge covers compiling
    case 1:
    case 3:
    case 4:
    case 5:
    case 6:
    case LUA_TLNGSTR:
    case LUA_TCCL: return size;
    default: return tag >= 7 && tag <= 19 ? FIXED_OBJECT_CHARGE : 0;
  }
}

// True when the allocation may go ahead.
bool within_limits(size_t new_size) {
  int64_t total = static_cast<int64_t>(pstate.script_memory) + pstate.code_overhead;
  if (total <= SOFT_LIMIT) return true;
  pstate.slice_escape = 1;
  lua_cpu_superyield();
  if (total <= HARD_LIMIT) return true;
  tovo_print("host allocation error");
  tovo_print_2("%dmb + %dk\n", pstate.script_memory / 1048576, static_cast<int32_t>(new_size >> 10));
  pstate.alloc_error = 1;
  return false;
}

}  // namespace

void* tovo_lua_alloc(void*, void* block, size_t old_size, size_t new_size) {
  if (new_size == 0) {
    if (!block) return nullptr;
    pstate.script_memory -= counted_of(block);
    free_base(static_cast<char*>(block) - HEADER, pooled_of(block));
    return nullptr;
  }
  // A shrink is never refused: the runtime frees and shrinks while it collects.
  bool grows = !block || new_size > old_size;
  if (grows && (!within_limits(new_size) || new_size > TARQ_MEM_LIMIT)) return nullptr;
  char* base = block ? static_cast<char*>(block) - HEADER : nullptr;
  int32_t old_count = block ? counted_of(block) : 0;
  int32_t count = block ? (old_count == 0 ? 0 : static_cast<int32_t>(new_size)) : count_for_new(old_size, new_size);
  char* grown = block ? resized_base(base, pooled_of(block), new_size + HEADER) : new_base(new_size + HEADER);
  if (!grown) return nullptr;
  pstate.script_memory += count - old_count;
  std::memcpy(grown, &count, sizeof count);
  return grown + HEADER;
}
