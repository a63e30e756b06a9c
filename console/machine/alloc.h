#pragma once
// The console allocator that every interpreter state of a cart gets all its
// memory from. It counts the script's memory in pstate by the kind of object
// made (the runtime passes the object's type tag as the old size of a new
// block) and enforces the limits: above 0x204000 bytes (with the compiled
// program's charge) it raises the slice-escape flag and asks the interpreter
// to super-yield, so that the run loop can collect; above 64 MiB it prints
// "host allocation error" and refuses.
#include <cstddef>

// The runtime's allocation function (user data unused): new_size 0 frees; a
// null block allocates; otherwise the block is resized. Blocks keep the
// host's fundamental alignment. Returns null when refused or when the engine
// allocator fails (the old block then stays as it was).
void* tovo_lua_alloc(void* user, void* block, size_t old_size, size_t new_size);
