// Texts made often, found again without hashing: the one-byte strings, the
// names of the types and the texts of recently converted numbers (for
// concatenation and tostr).
#include <algorithm>

#include "script/value/number.h"
#include "script/value/string.h"
#include "script/vm/state.h"
#include "script/vm/tm.h"

namespace {

constexpr int NUMBER_SLOTS = 64;  // a power of two

// One state's entries at a time (script code runs on one host thread). A
// string here is one the string table holds: the collector forgets every
// entry in its atomic phase, before the sweep frees what was not marked,
// and so no entry outlives its string.
struct text_cache {
  const global_State* owner = nullptr;
  TString* byte[256] = {};
  TString* type_name[LUA_NUMTAGS + 1] = {};  // LUA_TNONE first
  lua_Number number[NUMBER_SLOTS] = {};
  TString* number_text[NUMBER_SLOTS] = {};
};

text_cache cache;

int slot_of(lua_Number n) {
  uint32_t u = static_cast<uint32_t>(n);
  return static_cast<int>((u >> 16 ^ u >> 5 ^ u) & (NUMBER_SLOTS - 1));
}

// The cache, emptied first when it held another state's texts.
text_cache& cache_for(const global_State* g) {
  if (cache.owner != g) {
    cache = text_cache{};
    cache.owner = g;
  }
  return cache;
}

}  // namespace

TString* luaS_newbyte(lua_State* L, char c) {
  const global_State* g = G(L);
  unsigned char b = static_cast<unsigned char>(c);
  if (cache.owner == g && cache.byte[b] != nullptr) return cache.byte[b];
  TString* ts = luaS_newshrstr(L, &c, 1);
  cache_for(g).byte[b] = ts;
  return ts;
}

TString* luaS_typename(lua_State* L, int t) {
  const global_State* g = G(L);
  if (cache.owner == g && cache.type_name[t + 1] != nullptr) return cache.type_name[t + 1];
  TString* ts = luaS_new(L, ttypename(t));
  cache_for(g).type_name[t + 1] = ts;
  return ts;
}

TString* luaV_numbertext(lua_State* L, lua_Number n) {
  const global_State* g = G(L);
  int i = slot_of(n);
  if (cache.owner == g && cache.number_text[i] != nullptr && cache.number[i] == n) return cache.number_text[i];
  char text[TOVO_NUMBER_TEXT];
  // Number text is at most 12 characters; the bound lets the optimiser see
  // that it never takes the long-string road.
  const size_t len = std::min<size_t>(static_cast<size_t>(tovo_fixed_to_string(text, n)), TOVO_NUMBER_TEXT - 1);
  TString* ts = luaS_newlstr(L, text, len);
  text_cache& c = cache_for(g);
  c.number[i] = n;
  c.number_text[i] = ts;
  return ts;
}

void luaS_forgettexts(const global_State* g) {
  if (cache.owner == g) cache.owner = nullptr;
}
