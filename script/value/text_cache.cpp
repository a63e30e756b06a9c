// Texts made often, found again without hashing: the one-byte strings, the
// names of the types and the texts of recently converted numbers (for
// concatenation and tostr).
#include <algorithm>
#include <new>

#include "script/value/number.h"
#include "script/value/string.h"
#include "script/vm/state.h"
#include "script/vm/tm.h"

// A state's entries, in host memory of their own (the collector's count of
// the state does not include them). A string here is one the string table
// holds: the collector forgets every entry in its atomic phase, before the
// sweep frees what was not marked, and so no entry outlives its string.
constexpr int NUMBER_SLOTS = 64;  // a power of two

struct luaS_texts {
  TString* byte[256] = {};
  TString* type_name[LUA_NUMTAGS + 1] = {};  // LUA_TNONE first
  lua_Number number[NUMBER_SLOTS] = {};
  TString* number_text[NUMBER_SLOTS] = {};
};

namespace {

int slot_of(lua_Number n) {
  uint32_t u = static_cast<uint32_t>(n);
  return static_cast<int>((u >> 16 ^ u >> 5 ^ u) & (NUMBER_SLOTS - 1));
}

}  // namespace

void luaS_newtexts(global_State* g) { g->texts = new (std::nothrow) luaS_texts; }

void luaS_freetexts(global_State* g) {
  delete g->texts;
  g->texts = nullptr;
}

TString* luaS_newbyte(lua_State* L, char c) {
  luaS_texts* texts = G(L)->texts;
  unsigned char b = static_cast<unsigned char>(c);
  if (texts && texts->byte[b] != nullptr) return texts->byte[b];
  TString* ts = luaS_newshrstr(L, &c, 1);
  if (texts) texts->byte[b] = ts;
  return ts;
}

TString* luaS_typename(lua_State* L, int t) {
  luaS_texts* texts = G(L)->texts;
  if (texts && texts->type_name[t + 1] != nullptr) return texts->type_name[t + 1];
  TString* ts = luaS_new(L, ttypename(t));
  if (texts) texts->type_name[t + 1] = ts;
  return ts;
}

TString* luaV_numbertext(lua_State* L, lua_Number n) {
  luaS_texts* texts = G(L)->texts;
  int i = slot_of(n);
  if (texts && texts->number_text[i] != nullptr && texts->number[i] == n) return texts->number_text[i];
  char text[TOVO_NUMBER_TEXT];
  // Number text is at most 12 characters; the bound lets the optimiser see
  // that it never takes the long-string road.
  const size_t len = std::min<size_t>(static_cast<size_t>(tovo_fixed_to_string(text, n)), TOVO_NUMBER_TEXT - 1);
  TString* ts = luaS_newlstr(L, text, len);
  if (texts) {
    texts->number[i] = n;
    texts->number_text[i] = ts;
  }
  return ts;
}

void luaS_forgettexts(const global_State* g) {
  if (g->texts) *g->texts = luaS_texts{};
}
