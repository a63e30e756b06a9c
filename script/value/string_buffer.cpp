// The state-owned byte buffers.
#include "script/value/string_buffer.h"

#include "script/value/lua_mem.h"

void luaZ_resizebuffer(lua_State* L, Mbuffer* b, size_t size) {
  b->buffer = luaM_reallocvector<char>(L, b->buffer, b->buffsize, size);
  b->buffsize = size;
  if (b->n > size) b->n = size;
}

char* luaZ_openspace(lua_State* L, Mbuffer* b, size_t n) {
  if (n > b->buffsize) {
    if (n < LUA_MINBUFFER) n = LUA_MINBUFFER;
    luaZ_resizebuffer(L, b, n);
  }
  return b->buffer;
}
