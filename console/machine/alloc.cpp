// The console allocator. Each block has a header in front of the pointer
// handed to the runtime holding the bytes counted for it, the bytes of its
// class for a block from the small-block pool or the medium classes (0 for a
// block of the engine's allocator) and the host bytes it takes; the header is
// as large as the host's strictest fundamental alignment, so blocks stay
// aligned for pointers and 64-bit words.
#include "console/machine/alloc.h"

#include <cstdint>
#include <cstring>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "engine/tracked_mem.h"
#include "script/api/api_access.h"
#include "script/value/object.h"
#include "script/value/small_alloc.h"
#include "script/vm/cpu.h"

namespace {

constexpr size_t HEADER = alignof(std::max_align_t);
constexpr size_t POOLED_AT = sizeof(int32_t);
constexpr size_t HOST_AT = POOLED_AT + sizeof(uint32_t);
constexpr int64_t SOFT_LIMIT = 0x204000;
constexpr int64_t HARD_LIMIT = 0x4000000;
constexpr int32_t FIXED_OBJECT_CHARGE = 32;

static_assert(HEADER >= HOST_AT + sizeof(uint32_t) && HEADER % TOVO_SMALL_GRAIN == 0);

// The pool of the small blocks (header included) of every interpreter state.
tovo_small_pool small_blocks;

// Blocks above the pool's up to MEDIUM_MAX bytes (header included) come in
// classes of MEDIUM_GRAIN bytes from the engine's allocator and, once freed,
// wait on a list of their class (linked through their first word) for the
// next block of it: the arrays a growing table doubles through would
// otherwise go to the C heap and back each time.
constexpr size_t MEDIUM_GRAIN = 64;
constexpr size_t MEDIUM_MAX = 4096;
static_assert(TOVO_SMALL_MAX % MEDIUM_GRAIN == 0 && MEDIUM_MAX % MEDIUM_GRAIN == 0);
void* medium_free[MEDIUM_MAX / MEDIUM_GRAIN];

size_t medium_capacity(size_t total) { return (total + MEDIUM_GRAIN - 1) & ~(MEDIUM_GRAIN - 1); }
void** medium_list(size_t capacity) { return &medium_free[capacity / MEDIUM_GRAIN - 1]; }

// A block of total bytes (header included) with the bytes of its class in
// *pooled (0: an engine block); null when it cannot be had.
inline char* take_base(size_t total, uint32_t* pooled) {
  if (total <= TOVO_SMALL_MAX) {
    *pooled = static_cast<uint32_t>(tovo_small_capacity(total));
    return static_cast<char*>(tovo_small_take(&small_blocks, total));
  }
  if (total <= MEDIUM_MAX) {
    size_t capacity = medium_capacity(total);
    *pooled = static_cast<uint32_t>(capacity);
    void** list = medium_list(capacity);
    if (void* block = *list) {
      *list = *static_cast<void**>(block);
      TOVO_SMALL_UNPOISON(block, capacity);
      return static_cast<char*>(block);
    }
    return static_cast<char*>(tarq_malloc(capacity));
  }
  *pooled = 0;
  return static_cast<char*>(tarq_malloc(total));
}

// A new block's header written at base: the block handed to the runtime.
inline void* with_header(char* base, int32_t count, uint32_t pooled, uint32_t host) {
  std::memcpy(base, &count, sizeof count);
  std::memcpy(base + POOLED_AT, &pooled, sizeof pooled);
  std::memcpy(base + HOST_AT, &host, sizeof host);
  return base + HEADER;
}

uint32_t header_word(void* block, size_t at) {
  uint32_t n;
  std::memcpy(&n, static_cast<char*>(block) - HEADER + at, sizeof n);
  return n;
}

int32_t counted_of(void* block) { return static_cast<int32_t>(header_word(block, 0)); }
// The bytes of a pool block's class, header included; 0 for an engine block.
uint32_t pooled_of(void* block) { return header_word(block, POOLED_AT); }
uint32_t host_of(void* block) { return header_word(block, HOST_AT); }

void free_base(char* base, uint32_t pooled) {
  if (pooled == 0) {
    tarq_free(base);
  } else if (pooled <= TOVO_SMALL_MAX) {
    tovo_small_free(&small_blocks, base, pooled);
  } else {
    void** list = medium_list(pooled);
    *reinterpret_cast<void**>(base) = *list;
    *list = base;
    TOVO_SMALL_POISON(base + sizeof(void*), pooled - sizeof(void*));
  }
}

// A new block of total bytes (header included) with its class written in
// its header; null when it cannot be had.
char* new_base(size_t total) {
  uint32_t pooled;
  char* base = take_base(total, &pooled);
  if (base) std::memcpy(base + POOLED_AT, &pooled, sizeof pooled);
  return base;
}

// The block resized to total bytes (header included): in place while it
// fits its class, else moved; an engine block stays with the engine.
char* resized_base(char* base, uint32_t pooled, size_t total) {
  if (pooled == 0) return static_cast<char*>(tarq_realloc(base, total));
  if (total <= pooled) return base;
  char* moved = new_base(total);
  if (!moved) return nullptr;
  std::memcpy(moved + HEADER, base + HEADER, pooled - HEADER);
  free_base(base, pooled);
  return moved;
}

// Bytes counted for a new block of charge bytes (its size in the runtime's
// 32-bit layout); tag is the runtime's type tag of the object (0 for memory
// that is no object). Long strings (0x14) and native closures (0x26) count
// nothing, like every tag from 20 on; the host memory cap bounds them.
int32_t count_for_new(size_t tag, size_t charge) {
  int32_t size = static_cast<int32_t>(charge);
  switch (tag) {
    case 0: return pstate().compiling ? 0 : size;  // the program charge covers compiling
    case 1:
    case 3:
    case 4:
    case 5:
    case 6: return size;
    default: return tag >= 7 && tag <= 19 ? FIXED_OBJECT_CHARGE : 0;
  }
}

// Asks the state the blocks are for to end its slice.
void superyield(void* user) {
  if (user) lua_cpu_superyield(static_cast<lua_State*>(user));
}

// True when the allocation of charge bytes may go ahead.
bool within_limits(void* user, size_t charge) {
  int64_t total = static_cast<int64_t>(pstate().script_memory) + pstate().code_overhead;
  if (total <= SOFT_LIMIT) return true;
  pstate().slice_escape = 1;
  superyield(user);
  if (total <= HARD_LIMIT) return true;
  tovo_print("host allocation error");
  tovo_print_2("%dmb + %dk\n", pstate().script_memory / 1048576, static_cast<int32_t>(charge >> 10));
  pstate().alloc_error = 1;
  return false;
}

// True when the host memory may grow by grow bytes. Past the limit the run
// loop is asked to collect at once; past the ceiling the block is refused.
bool within_host_cap(void* user, int64_t grow) {
  int64_t after = pstate().host_memory + grow;
  if (after > TOVO_HOST_MEMORY_CEILING) {
    pstate().host_refused = 1;
    return false;
  }
  if (after > TOVO_HOST_MEMORY_LIMIT) {
    pstate().slice_escape = 1;
    superyield(user);
  }
  return true;
}

// A new block for an object of the tag (0: no object): the work of
// tovo_lua_alloc for a null block, apart so that a free saves no registers
// for it.
[[gnu::noinline]] void* fresh_block(void* user, size_t tag, size_t new_size) {
  size_t charge = lua_alloc_charge();
  if (charge == LUA_NO_CHARGE) charge = new_size;
  size_t total = new_size + HEADER;
  if (!within_limits(user, charge) || new_size > TARQ_MEM_LIMIT || !within_host_cap(user, static_cast<int64_t>(total)))
    return nullptr;
  int32_t count = count_for_new(tag, charge);
  uint32_t pooled;
  char* base = take_base(total, &pooled);
  if (!base) return nullptr;
  uint32_t host = pooled != 0 ? pooled : static_cast<uint32_t>(total);
  pstate().script_memory += count;
  pstate().host_memory += host;
  return with_header(base, count, pooled, host);
}

// fresh_block for the commonest request: a small block from a class whose
// list has one, with script memory within the soft limit and host memory
// far from its limit, so that no check can refuse or ask anything; any
// other request goes on to fresh_block.
[[gnu::noinline]] void* fresh_small_block(void* user, size_t tag, size_t new_size) {
  tovo_machine_state& ps = pstate();
  // new_size is tested first: a size near SIZE_MAX wraps round with the header.
  if (new_size > TOVO_SMALL_MAX - HEADER ||
      small_blocks.free_list[(new_size + HEADER - 1) / TOVO_SMALL_GRAIN] == nullptr ||
      int64_t{ps.script_memory} + ps.code_overhead > SOFT_LIMIT ||
      ps.host_memory > TOVO_HOST_MEMORY_LIMIT - static_cast<int64_t>(TOVO_SMALL_MAX))
    return fresh_block(user, tag, new_size);
  size_t total = new_size + HEADER;
  size_t charge = lua_alloc_charge();
  if (charge == LUA_NO_CHARGE) charge = new_size;
  int32_t count = count_for_new(tag, charge);
  char* base = static_cast<char*>(tovo_small_take(&small_blocks, total));
  uint32_t pooled = static_cast<uint32_t>(tovo_small_capacity(total));
  ps.script_memory += count;
  ps.host_memory += pooled;
  return with_header(base, count, pooled, pooled);
}

// A resized block: the work of tovo_lua_alloc for a block it has made.
[[gnu::noinline]] void* obtain(void* user, void* block, size_t old_size, size_t new_size) {
  size_t charge = lua_alloc_charge();
  if (charge == LUA_NO_CHARGE) charge = new_size;
  uint32_t old_host = block ? host_of(block) : 0;
  // A shrink is never refused: the runtime frees and shrinks while it collects.
  bool grows = !block || new_size > old_size;
  if (grows && (!within_limits(user, charge) || new_size > TARQ_MEM_LIMIT ||
                !within_host_cap(user, static_cast<int64_t>(new_size + HEADER) - old_host)))
    return nullptr;
  char* base = block ? static_cast<char*>(block) - HEADER : nullptr;
  int32_t old_count = block ? counted_of(block) : 0;
  int32_t count = block ? (old_count == 0 ? 0 : static_cast<int32_t>(charge)) : count_for_new(old_size, charge);
  char* grown = block ? resized_base(base, pooled_of(block), new_size + HEADER) : new_base(new_size + HEADER);
  if (!grown) return nullptr;
  uint32_t pooled;
  std::memcpy(&pooled, grown + POOLED_AT, sizeof pooled);
  uint32_t host = pooled != 0 ? pooled : static_cast<uint32_t>(new_size + HEADER);
  pstate().script_memory += count - old_count;
  pstate().host_memory += static_cast<int64_t>(host) - old_host;
  std::memcpy(grown, &count, sizeof count);
  std::memcpy(grown + HOST_AT, &host, sizeof host);
  return grown + HEADER;
}

}  // namespace

void* tovo_lua_alloc(void* user, void* block, size_t old_size, size_t new_size) {
  if (new_size != 0)
    return block ? obtain(user, block, old_size, new_size) : fresh_small_block(user, old_size, new_size);
  if (!block) return nullptr;
  pstate().script_memory -= counted_of(block);
  pstate().host_memory -= host_of(block);
  free_base(static_cast<char*>(block) - HEADER, pooled_of(block));
  return nullptr;
}

lua_State* tovo_new_lua_state() {
  lua_State* L = lua_newstate(tovo_lua_alloc, nullptr);
  if (L) lua_setallocf(L, tovo_lua_alloc, L);
  return L;
}
