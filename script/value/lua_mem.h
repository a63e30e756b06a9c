#pragma once
// The runtime's one road to memory: every allocation, resize and free goes
// through the state's allocator hook and is counted in the collector's debt.
// Each request that makes or grows a block also carries its charge, the
// block's size in the 32-bit layout that script memory is measured in
// (layout32.h), which the hook reads through lua_alloc_charge.
#include <cstddef>

#include "script/value/layout32.h"
#include "script/value/object.h"

// Resizes a block (null block: allocates; new size 0: frees) to new_size host
// bytes, charge bytes in the 32-bit layout. On failure it runs one emergency
// collection (when the collector runs) and retries, then raises a memory
// error. A shrink never fails.
void* luaM_realloc_(lua_State* L, void* block, size_t old_size, size_t new_size, size_t charge);
// Calls an allocator hook with the request's charge readable through
// lua_alloc_charge for the length of the call.
void* luaM_callhook(lua_Alloc f, void* ud, void* block, size_t old_size, size_t new_size, size_t charge);
// Raises "memory allocation error: block too big".
[[noreturn]] void luaM_toobig(lua_State* L);
// Doubles an array's capacity (at least 4) up to limit; at the limit raises
// "too many %s (limit is %d)". Elements take size_elems host bytes and
// charge_elems bytes in the 32-bit layout.
void* luaM_growaux_(lua_State* L, void* block, int* size, size_t size_elems, size_t charge_elems, int limit,
                    const char* what);

constexpr size_t MAX_SIZET = static_cast<size_t>(-1) - 2;

template <typename T>
T* luaM_reallocvector(lua_State* L, T* v, size_t oldn, size_t n) {
  if (n + 1 > MAX_SIZET / sizeof(T)) luaM_toobig(L);
  return static_cast<T*>(luaM_realloc_(L, v, oldn * sizeof(T), n * sizeof(T), n * layout32<T>::size));
}
template <typename T>
T* luaM_newvector(lua_State* L, size_t n) {
  return luaM_reallocvector<T>(L, nullptr, 0, n);
}
template <typename T>
void luaM_freearray(lua_State* L, T* v, size_t n) {
  luaM_realloc_(L, v, n * sizeof(T), 0, 0);
}
template <typename T>
T* luaM_new(lua_State* L) {
  return static_cast<T*>(luaM_realloc_(L, nullptr, 0, sizeof(T), layout32<T>::size));
}
template <typename T>
void luaM_free(lua_State* L, T* p) {
  luaM_realloc_(L, p, sizeof(T), 0, 0);
}
inline void luaM_freemem(lua_State* L, void* p, size_t size) { luaM_realloc_(L, p, size, 0, 0); }
// A new object block (size > 0), as luaM_realloc_ makes it from a null
// block; the old-size argument tells the hook its tag.
void* luaM_newobject(lua_State* L, int tag, size_t size, size_t charge);
// Makes room for one more element at index nelems.
template <typename T>
void luaM_growvector(lua_State* L, T*& v, int nelems, int& size, int limit, const char* what) {
  if (nelems + 1 > size) v = static_cast<T*>(luaM_growaux_(L, v, &size, sizeof(T), layout32<T>::size, limit, what));
}
