#pragma once
// Buffered input streams: every compile and every binary-chunk load reads its
// bytes through one of these, piece by piece from a reader function.
#include <cstddef>

struct lua_State;

// Returns the next piece of input and its size; null or a size of 0 ends it.
typedef const char* (*lua_Reader)(lua_State* L, void* ud, size_t* size);
// Receives a piece of output; a non-zero result stops the writing.
typedef int (*lua_Writer)(lua_State* L, const void* p, size_t size, void* ud);

constexpr int EOZ = -1;  // end of input

struct Zio {
  size_t n;       // bytes left in the current piece
  const char* p;  // next byte of the current piece
  lua_Reader reader;
  void* data;  // the reader's data
  lua_State* L;
};

void luaZ_init(lua_State* L, Zio* z, lua_Reader reader, void* data);
// Asks the reader for the next piece: its first byte (0-255), or EOZ.
int luaZ_fill(Zio* z);
// Copies n bytes to b, refilling as needed; the count it could not read.
size_t luaZ_read(Zio* z, void* b, size_t n);

inline int zgetc(Zio* z) {
  if (z->n > 0) {
    z->n--;
    return static_cast<unsigned char>(*z->p++);
  }
  return luaZ_fill(z);
}
