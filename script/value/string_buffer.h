#pragma once
// A growable byte buffer owned by a state (string joining, the lexer's token
// text). Memory comes from the state's allocator.
#include <cstddef>

struct lua_State;

constexpr size_t LUA_MINBUFFER = 32;

struct Mbuffer {
  char* buffer;
  size_t n;         // bytes in use
  size_t buffsize;  // capacity
};

inline void luaZ_initbuffer(Mbuffer* b) {
  b->buffer = nullptr;
  b->n = 0;
  b->buffsize = 0;
}
inline char* luaZ_buffer(Mbuffer* b) { return b->buffer; }
inline size_t luaZ_sizebuffer(const Mbuffer* b) { return b->buffsize; }
inline size_t luaZ_bufflen(const Mbuffer* b) { return b->n; }
inline void luaZ_resetbuffer(Mbuffer* b) { b->n = 0; }

// Sets the capacity (0 frees the block); raises a memory error on failure.
void luaZ_resizebuffer(lua_State* L, Mbuffer* b, size_t size);
inline void luaZ_freebuffer(lua_State* L, Mbuffer* b) { luaZ_resizebuffer(L, b, 0); }
// A buffer of at least n bytes (grows, never shrinks).
char* luaZ_openspace(lua_State* L, Mbuffer* b, size_t n);
