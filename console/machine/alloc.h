#pragma once
// The console allocator that every interpreter state of a cart gets all its
// memory from. It counts the script's memory in pstate() by the kind of object
// made (the runtime passes the object's type tag as the old size of a new
// block), each block at its size in the runtime's 32-bit layout (the charge
// the runtime gives with each request, lua_alloc_charge), and enforces the
// limits: above 0x204000 bytes (with the compiled program's charge) it raises
// the slice-escape flag and asks the interpreter to super-yield, so that the
// run loop can collect; above 64 MiB it prints "host allocation error" and
// refuses.
//
// Long strings and native closures count nothing there, so the host memory
// the blocks really take is kept apart and capped: above
// TOVO_HOST_MEMORY_LIMIT the allocator asks for a super-yield as above, and
// the run loop collects and ends the cart with "out of memory" when the
// memory stays above it; a block that would take the host memory past
// TOVO_HOST_MEMORY_CEILING is refused (the runtime then raises its memory
// error) and pstate().host_refused is set.
#include <cstddef>
#include <cstdint>

constexpr int64_t TOVO_HOST_MEMORY_LIMIT = int64_t{64} << 20;
constexpr int64_t TOVO_HOST_MEMORY_CEILING = 2 * TOVO_HOST_MEMORY_LIMIT;

// The runtime's allocation function. Its user data is the interpreter state
// the blocks are for, whose slice a super-yield asked for by the limits ends
// (null: the limits ask no state). new_size 0 frees; a null block allocates;
// otherwise the block is resized. A request that comes
// with no charge (a caller other than the runtime) counts its host size.
// Blocks keep the host's fundamental alignment. Returns null when refused or
// when the engine allocator fails (the old block then stays as it was).
void* tovo_lua_alloc(void* user, void* block, size_t old_size, size_t new_size);

struct lua_State;

// A new interpreter state on the console allocator, given itself as the
// allocator's user data once made; null when it cannot be made.
lua_State* tovo_new_lua_state();
