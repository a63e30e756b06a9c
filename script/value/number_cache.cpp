// The texts of recently converted numbers: a number that concatenation or
// tostring turns into text again finds its interned string here rather
// than writing the digits and hashing them anew.
#include <algorithm>

#include "script/value/number.h"
#include "script/value/string.h"
#include "script/vm/state.h"

namespace {

constexpr int SLOTS = 64;  // a power of two

// One state's entries at a time (script code runs on one host thread). A
// string here is one the string table holds: the collector forgets every
// entry in its atomic phase, before the sweep frees what was not marked,
// and so no entry outlives its string.
struct number_texts {
  const global_State* owner = nullptr;
  lua_Number number[SLOTS] = {};
  TString* text[SLOTS] = {};
};

number_texts cache;

int slot_of(lua_Number n) {
  uint32_t u = static_cast<uint32_t>(n);
  return static_cast<int>((u >> 16 ^ u >> 5 ^ u) & (SLOTS - 1));
}

}  // namespace

TString* luaV_numbertext(lua_State* L, lua_Number n) {
  const global_State* g = G(L);
  int i = slot_of(n);
  if (cache.owner == g && cache.text[i] != nullptr && cache.number[i] == n) return cache.text[i];
  char text[TOVO_NUMBER_TEXT];
  // Number text is at most 12 characters; the bound lets the optimiser see
  // that it never takes the long-string road.
  const size_t len = std::min<size_t>(static_cast<size_t>(tovo_fixed_to_string(text, n)), TOVO_NUMBER_TEXT - 1);
  TString* ts = luaS_newlstr(L, text, len);
  if (cache.owner != g) {
    cache = number_texts{};
    cache.owner = g;
  }
  cache.number[i] = n;
  cache.text[i] = ts;
  return ts;
}

void luaV_forgetnumbertexts(const global_State* g) {
  if (cache.owner == g) cache.owner = nullptr;
}
