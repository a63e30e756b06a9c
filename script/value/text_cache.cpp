// Texts made often, found again without hashing: the one-byte strings, the
// names of the types and the texts of recently converted numbers (for
// concatenation and tostr).
#include <algorithm>
#include <cstring>
#include <new>

#include "script/value/number.h"
#include "script/value/string.h"
#include "script/vm/state.h"
#include "script/vm/tm.h"

void luaS_newtexts(global_State* g) { g->texts = new (std::nothrow) luaS_texts; }

void luaS_freetexts(global_State* g) {
  if (g->texts) delete[] g->texts->filled;
  delete g->texts;
  g->texts = nullptr;
}

TString* luaS_newbyte(lua_State* L, char c) {
  luaS_texts* texts = G(L)->texts;
  unsigned char b = static_cast<unsigned char>(c);
  if (texts && texts->kept.byte[b] != nullptr) return texts->kept.byte[b];
  TString* ts = luaS_newshrstr(L, &c, 1);
  if (texts) luaS_keep(&texts->kept, &texts->kept.byte[b], ts);
  return ts;
}

TString* luaS_typename(lua_State* L, int t) {
  luaS_texts* texts = G(L)->texts;
  if (texts && texts->kept.type_name[t + 1] != nullptr) return texts->kept.type_name[t + 1];
  TString* ts = luaS_new(L, ttypename(t));
  if (texts) luaS_keep(&texts->kept, &texts->kept.type_name[t + 1], ts);
  return ts;
}

namespace {

// Converts n to its string, and notes its text and hash in slot i of
// numbers (when not null).
[[gnu::noinline]] TString* convert_numbertext(lua_State* L, luaS_numbertexts* numbers, lua_Number n, int i) {
  char text[TOVO_NUMBER_TEXT];
  // Number text is at most 12 characters; the bound lets the optimiser see
  // that it never takes the long-string road.
  const size_t len = std::min<size_t>(static_cast<size_t>(tovo_fixed_to_string(text, n)), TOVO_NUMBER_TEXT - 1);
  TString* ts = luaS_newlstr(L, text, len);
  if (numbers != nullptr) {
    numbers->number[i] = n;
    if (len <= LUAS_NUMBER_TEXT_MAX) {
      std::memcpy(numbers->text[i], text, len);
      numbers->len[i] = static_cast<uint8_t>(len);
      numbers->hash[i] = ts->hash;  // a short string's hash
    } else {
      numbers->len[i] = 0;
    }
  }
  return ts;
}

// The text of n made anew, and kept in slot i: from the slot's text when it
// is n's (its string was freed), else converted.
[[gnu::noinline]] TString* new_numbertext(lua_State* L, lua_Number n, int i) {
  luaS_texts* texts = G(L)->texts;
  if (texts == nullptr) return convert_numbertext(L, nullptr, n, i);
  luaS_numbertexts& numbers = texts->numbers;
  TString* ts = numbers.len[i] != 0 && numbers.number[i] == n
                    ? luaS_newshrhashed(L, numbers.text[i], numbers.len[i], numbers.hash[i])
                    : convert_numbertext(L, &numbers, n, i);
  luaS_keep(&texts->kept, &texts->kept.number_text[i], ts);
  return ts;
}

}  // namespace

TString* luaS_makenumbertext(lua_State* L, lua_Number n) { return new_numbertext(L, n, luaS_numberslot(n)); }

TString* luaV_numbertext(lua_State* L, lua_Number n) {
  if (TString* ts = luaS_keptnumber(G(L), n)) return ts;
  return new_numbertext(L, n, luaS_numberslot(n));  // out of line: a text found costs no saved registers
}

void luaS_forgettexts(const global_State* g) {
  if (luaS_texts* texts = g->texts) {
    luaS_kept& kept = texts->kept;
    for (int i = 0; i < kept.nheld; i++) *kept.held[i] = nullptr;
    kept.nheld = 0;
  }
}
