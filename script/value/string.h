#pragma once
// Script strings (short ones interned in the state's string table, long
// ones separate objects) and full userdata.
#include <cstring>

#include "script/value/gc.h"
#include "script/value/lua_mem.h"
#include "script/vm/state.h"

constexpr size_t LUAI_MAXSHORTLEN = 40;  // longer strings are not interned
constexpr int MINSTRTABSIZE = 32;

inline size_t sizestring(size_t len) { return sizeof(TString) + len + 1; }
inline size_t sizeudata(size_t len) { return sizeof(Udata) + len; }

// The hash of l bytes: a short string's a word at a time, a long string's
// from a sample of at most about 32 of its bytes.
uint32_t luaS_hash(const char* str, size_t l, uint32_t seed);
// Re-buckets the string table to newsize buckets (a power of two).
void luaS_resize(lua_State* L, int newsize);

// A string of l bytes: interned when short, a new long string otherwise.
TString* luaS_newlstr(lua_State* L, const char* str, size_t l);
TString* luaS_new(lua_State* L, const char* str);
// A new long string of l bytes (l > LUAI_MAXSHORTLEN) for the caller to
// fill: only its closing 0 byte is written. Inline: joins make one for
// every long result.
inline TString* luaS_newlngstr(lua_State* L, size_t l) {
  if (l + 1 > MAX_SIZET - sizeof(TString) || l > UINT32_MAX - 1) luaM_toobig(L);
  TString* ts = static_cast<TString*>(luaC_newobj(L, LUA_TLNGSTR, sizestring(l), layout32_string(l), nullptr));
  ts->len = static_cast<uint32_t>(l);
  ts->hash = G(L)->seed;
  ts->extra = 0;
  getstr(ts)[l] = 0;
  return ts;
}
// The interned short string of l bytes (l <= LUAI_MAXSHORTLEN).
TString* luaS_newshrstr(lua_State* L, const char* str, size_t l);
// luaS_newshrstr for bytes whose hash h (luaS_hash with the state's seed)
// is known.
TString* luaS_newshrhashed(lua_State* L, const char* str, size_t l, uint32_t h);
// The interned one-byte string of c (text_cache.cpp).
TString* luaS_newbyte(lua_State* L, char c);
// The interned name of type t (LUA_TNONE to LUA_NUMTAGS - 1).
TString* luaS_typename(lua_State* L, int t);
struct global_State;

// Texts made often, found again without hashing: the one-byte strings, the
// names of the types and the texts of recently converted numbers
// (text_cache.cpp). Each is a string the string table holds: the collector
// forgets them all in its atomic phase, before the sweep frees what was not
// marked, and so no entry outlives its string.
constexpr int LUAS_NUMBER_SLOTS = 256;  // a power of two
constexpr int LUAS_JOIN_SLOTS = 256;    // a power of two
struct luaS_kept {
  TString* byte[256] = {};
  TString* type_name[LUA_NUMTAGS + 1] = {};      // LUA_TNONE first
  TString* number_text[LUAS_NUMBER_SLOTS] = {};  // the string of luaS_numbertexts::number
  // The slots above, and the joins' (luaS_joins::joined), that hold a
  // string, so that forgetting them (in every cycle of the collector) clears
  // those alone.
  static constexpr int SLOTS = 256 + LUA_NUMTAGS + 1 + LUAS_NUMBER_SLOTS + LUAS_JOIN_SLOTS;
  TString** held[SLOTS] = {};
  int nheld = 0;
};
// Puts ts in a slot of kept (or of the joins), noting the slot when it was
// empty.
inline void luaS_keep(luaS_kept* kept, TString** slot, TString* ts) {
  if (*slot == nullptr) kept->held[kept->nheld++] = slot;
  *slot = ts;
}

// The number of each number slot with its text and the text's hash, kept
// while the collector frees and the program makes again the text's string:
// making it again then costs no conversion and no hashing.
constexpr int LUAS_NUMBER_TEXT_MAX = 15;  // longer texts are not kept (none is)
struct luaS_numbertexts {
  lua_Number number[LUAS_NUMBER_SLOTS] = {};
  uint32_t hash[LUAS_NUMBER_SLOTS] = {};
  uint8_t len[LUAS_NUMBER_SLOTS] = {};  // 0: no text
  char text[LUAS_NUMBER_SLOTS][LUAS_NUMBER_TEXT_MAX] = {};
};

// Recent joins of two short strings into a short string: the first and
// second strings of each slot with their join, the string the string table
// holds for their bytes, so that joining them again makes no copy and no
// hash. The joins are forgotten with the kept texts, so that no slot
// outlives a string: a slot whose join is null holds none, whatever its
// first and second.
struct luaS_joins {
  const TString* first[LUAS_JOIN_SLOTS] = {};
  const TString* second[LUAS_JOIN_SLOTS] = {};
  TString* joined[LUAS_JOIN_SLOTS] = {};  // null: an empty slot
};

// A state's string helpers, in host memory of their own (the collector's
// count of the state does not include them, and a state without them works
// the same, only slower).
struct luaS_texts {
  luaS_kept kept;
  luaS_numbertexts numbers;
  luaS_joins joins;
  // A bit per string-table bucket (bit b & 63 of word b >> 6), clear only
  // when the bucket is empty, so that the sweep passes over empty buckets a
  // word at a time. Null when it could not be had: every bucket is read.
  uint64_t* filled = nullptr;
};

// The number slot of n.
inline int luaS_numberslot(lua_Number n) {
  uint32_t u = static_cast<uint32_t>(n);
  return static_cast<int>((u >> 16 ^ u >> 5 ^ u) & (LUAS_NUMBER_SLOTS - 1));
}
// The string of n's text when a state keeps it, else null; inline, so that
// a join of a number seen lately makes no call for its text.
inline TString* luaS_keptnumber(const global_State* g, lua_Number n) {
  const luaS_texts* texts = g->texts;
  if (texts == nullptr) return nullptr;
  int i = luaS_numberslot(n);
  TString* ts = texts->kept.number_text[i];
  return ts != nullptr && texts->numbers.number[i] == n ? ts : nullptr;
}
// The join slot of the strings a and b.
inline int luaS_joinslot(const TString* a, const TString* b) {
  uintptr_t u = reinterpret_cast<uintptr_t>(a) >> 4 ^ reinterpret_cast<uintptr_t>(b) >> 3;
  return static_cast<int>((u ^ u >> 8) & (LUAS_JOIN_SLOTS - 1));
}
// The short string of a's bytes then b's when a state keeps it, else null.
inline TString* luaS_keptjoin(const global_State* g, const TString* a, const TString* b) {
  const luaS_texts* texts = g->texts;
  if (texts == nullptr) return nullptr;
  int i = luaS_joinslot(a, b);
  const luaS_joins& joins = texts->joins;
  return joins.first[i] == a && joins.second[i] == b ? joins.joined[i] : nullptr;
}
// Keeps joined, the short string of a's bytes then b's.
inline void luaS_keepjoin(const global_State* g, const TString* a, const TString* b, TString* joined) {
  luaS_texts* texts = g->texts;
  if (texts == nullptr) return;
  luaS_joins& joins = texts->joins;
  int i = luaS_joinslot(a, b);
  luaS_keep(&texts->kept, &joins.joined[i], joined);
  joins.first[i] = a;
  joins.second[i] = b;
}
// The string of n's text made anew (luaS_keptnumber found none), and kept.
TString* luaS_makenumbertext(lua_State* L, lua_Number n);
// The bucket bits of a state, or null.
inline uint64_t* luaS_filled(const global_State* g) { return g->texts != nullptr ? g->texts->filled : nullptr; }
// Forgets the texts kept for a state's one-byte strings, type names and
// numbers, and its kept joins: its collector is about to free the strings no
// one else holds.
void luaS_forgettexts(const global_State* g);
// Makes and frees a state's string helpers (luaS_texts); the bucket bits
// are made by luaS_resize.
void luaS_newtexts(global_State* g);
void luaS_freetexts(global_State* g);
template <size_t N>
TString* luaS_newliteral(lua_State* L, const char (&s)[N]) {
  return luaS_newlstr(L, s, N - 1);
}
Udata* luaS_newudata(lua_State* L, size_t s, Table* env);

inline bool eqshrstr(const TString* a, const TString* b) { return a == b; }
bool luaS_eqlngstr(TString* a, TString* b);
bool luaS_eqstr(TString* a, TString* b);
// A long string's hash, computed on first use and kept.
uint32_t luaS_lnghash(TString* s);
// Reserved words carry their index in extra.
inline bool isreserved(const TString* s) { return s->tt == LUA_TSHRSTR && s->extra > 0; }
