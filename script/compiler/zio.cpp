// Buffered input streams.
#include "script/compiler/zio.h"

#include <cstring>

void luaZ_init(lua_State* L, Zio* z, lua_Reader reader, void* data) {
  z->L = L;
  z->reader = reader;
  z->data = data;
  z->n = 0;
  z->p = nullptr;
}

int luaZ_fill(Zio* z) {
  size_t size = 0;
  const char* piece = z->reader(z->L, z->data, &size);
  if (piece == nullptr || size == 0) {
    z->n = 0;  // stays empty: later reads ask the reader again
    return EOZ;
  }
  z->n = size - 1;
  z->p = piece;
  return static_cast<unsigned char>(*z->p++);
}

size_t luaZ_read(Zio* z, void* b, size_t n) {
  char* out = static_cast<char*>(b);
  while (n > 0) {
    if (z->n == 0) {
      if (luaZ_fill(z) == EOZ) return n;
      z->n++;  // give the byte luaZ_fill took back to the piece
      z->p--;
    }
    size_t m = n <= z->n ? n : z->n;
    std::memcpy(out, z->p, m);
    z->n -= m;
    z->p += m;
    out += m;
    n -= m;
  }
  return 0;
}
