// Auxiliary library: string buffers. A buffer starts in its inline area and
// moves into a userdata box on the stack when it outgrows it.
#include <cstring>

#include "script/api/auxlib.h"

namespace {

bool buffonstack(const luaL_Buffer* B) { return B->b != B->initb; }

}  // namespace

void luaL_buffinit(lua_State* L, luaL_Buffer* B) {
  B->L = L;
  B->b = B->initb;
  B->n = 0;
  B->size = LUAL_BUFFERSIZE;
}

char* luaL_prepbuffsize(luaL_Buffer* B, size_t sz) {
  lua_State* L = B->L;
  if (B->size - B->n < sz) {
    size_t newsize = B->size * 2;
    if (newsize - B->n < sz) newsize = B->n + sz;
    if (newsize < B->n || newsize - B->n < sz) luaL_error(L, "buffer too large");
    char* newbuff = static_cast<char*>(lua_newuserdata(L, newsize));
    std::memcpy(newbuff, B->b, B->n);
    if (buffonstack(B)) lua_remove(L, -2);  // the old box
    B->b = newbuff;
    B->size = newsize;
  }
  return &B->b[B->n];
}

void luaL_addlstring(luaL_Buffer* B, const char* s, size_t l) {
  if (l == 0) return;
  char* b = luaL_prepbuffsize(B, l);
  std::memcpy(b, s, l);
  luaL_addsize(B, l);
}

void luaL_addstring(luaL_Buffer* B, const char* s) { luaL_addlstring(B, s, std::strlen(s)); }

void luaL_pushresult(luaL_Buffer* B) {
  lua_State* L = B->L;
  lua_pushlstring(L, B->b, B->n);
  if (buffonstack(B)) lua_remove(L, -2);
}

void luaL_pushresultsize(luaL_Buffer* B, size_t sz) {
  luaL_addsize(B, sz);
  luaL_pushresult(B);
}

void luaL_addvalue(luaL_Buffer* B) {
  lua_State* L = B->L;
  size_t l = 0;
  const char* s = lua_tolstring(L, -1, &l);
  if (buffonstack(B)) lua_insert(L, -2);  // the value below the box
  luaL_addlstring(B, s, l);
  lua_remove(L, buffonstack(B) ? -2 : -1);
}

char* luaL_buffinitsize(lua_State* L, luaL_Buffer* B, size_t sz) {
  luaL_buffinit(L, B);
  return luaL_prepbuffsize(B, sz);
}
