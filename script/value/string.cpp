// Strings: hashing, the intern table of short strings, long strings, and
// full userdata.
#include "script/value/string.h"

#include <new>

#include "script/value/gc.h"
#include "script/value/lua_mem.h"

namespace {

int bucket_of(uint32_t h, int size) { return static_cast<int>(h & static_cast<uint32_t>(size - 1)); }

uint64_t load8(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

uint32_t load4(const char* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void store8(char* p, uint64_t v) { std::memcpy(p, &v, sizeof v); }
void store4(char* p, uint32_t v) { std::memcpy(p, &v, sizeof v); }

// Copies a short string's l bytes in words, the last word overlapping the
// one before it.
void copy_short(char* to, const char* from, size_t l) {
  if (l >= 8) {
    for (size_t i = 0; i + 8 < l; i += 8) store8(to + i, load8(from + i));
    store8(to + l - 8, load8(from + l - 8));
  } else if (l >= 4) {
    uint32_t head = load4(from), tail = load4(from + l - 4);
    store4(to, head);
    store4(to + l - 4, tail);
  } else {
    for (size_t i = 0; i < l; i++) to[i] = from[i];
  }
}

// A new short string of l bytes (l <= LUAI_MAXSHORTLEN) with hash h, linked
// at the head of list.
TString* createshrstr(lua_State* L, const char* str, size_t l, uint32_t h, GCObject** list) {
  TString* ts = static_cast<TString*>(luaC_newobj(L, LUA_TSHRSTR, sizestring(l), layout32_string(l), list));
  ts->len = static_cast<uint32_t>(l);
  ts->hash = h;
  ts->extra = 0;
  copy_short(getstr(ts), str, l);
  getstr(ts)[l] = 0;
  return ts;
}

// True when the l bytes at a and b are the same: a short string's compare
// in words, the last word overlapping the one before it.
bool same_bytes(const char* a, const char* b, size_t l) {
  if (l >= 8) {
    for (size_t i = 0; i + 8 < l; i += 8) {
      if (load8(a + i) != load8(b + i)) return false;
    }
    return load8(a + l - 8) == load8(b + l - 8);
  }
  if (l >= 4) return load4(a) == load4(b) && load4(a + l - 4) == load4(b + l - 4);
  for (size_t i = 0; i < l; i++) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// One byte into the hash of a long string.
uint32_t hash_step(uint32_t h, char c) { return h ^ ((h << 5) + (h >> 2) + static_cast<unsigned char>(c)); }

constexpr uint64_t HASH_MULTIPLIER = 0x9e3779b97f4a7c15u;

// One word into the hash of a short string: the high half of the 128-bit
// product depends on every bit of the word, and is folded into the low bits
// that pick a bucket.
uint64_t hash_word(uint64_t h, uint64_t w) {
  unsigned __int128 p = static_cast<unsigned __int128>(h ^ w) * HASH_MULTIPLIER;
  return static_cast<uint64_t>(p) ^ static_cast<uint64_t>(p >> 64);
}

// The hash of a short string (l <= LUAI_MAXSHORTLEN), a word at a time: its
// 8-byte words, the last one overlapping the one before it; under 8 bytes
// one word of its first and last four bytes (which may overlap), under 4
// bytes one of its first, middle and last bytes. The length goes into the
// first word, so that strings whose words are alike still differ.
[[gnu::always_inline]] inline uint32_t short_hash(const char* str, size_t l, uint32_t seed) {
  uint64_t h = (static_cast<uint64_t>(seed) << 32) ^ l;
  if (l >= 8) {
    for (size_t i = 0; i + 8 < l; i += 8) h = hash_word(h, load8(str + i));
    h = hash_word(h, load8(str + l - 8));
  } else if (l >= 4) {
    h = hash_word(h, load4(str) | static_cast<uint64_t>(load4(str + l - 4)) << 32);
  } else if (l > 0) {
    uint64_t first = static_cast<unsigned char>(str[0]), middle = static_cast<unsigned char>(str[l >> 1]);
    uint64_t last = static_cast<unsigned char>(str[l - 1]);
    h = hash_word(h, first | middle << 8 | last << 16);
  } else {
    h = hash_word(h, 0);
  }
  return static_cast<uint32_t>(h);
}

// The hash of a long string: from the last byte to the first, every
// (l / 32 + 1)th byte.
uint32_t long_hash(const char* str, size_t l, uint32_t seed) {
  uint32_t h = seed ^ static_cast<uint32_t>(l);
  size_t step = (l >> 5) + 1;
  for (size_t l1 = l; l1 >= step; l1 -= step) h = hash_step(h, str[l1 - 1]);
  return h;
}

// Sets bucket b's bit.
void setbit(uint64_t* filled, int b) { filled[b >> 6] |= uint64_t{1} << (b & 63); }

// A new short string, entered in the string table.
[[gnu::noinline]] TString* newshrstr(lua_State* L, const char* str, size_t l, uint32_t h) {
  stringtable* tb = &G(L)->strt;
  if (tb->nuse >= static_cast<uint32_t>(tb->size) && tb->size < (1 << 30) - 1) luaS_resize(L, tb->size * 2);
  int b = bucket_of(h, tb->size);
  TString* ts = createshrstr(L, str, l, h, &tb->hash[b]);
  if (uint64_t* filled = luaS_filled(G(L))) setbit(filled, b);
  tb->nuse++;
  return ts;
}

TString* internhashed(lua_State* L, const char* str, size_t l, uint32_t h) {
  global_State* g = G(L);
  for (GCObject* o = g->strt.hash[bucket_of(h, g->strt.size)]; o != nullptr; o = o->next) {
    TString* ts = static_cast<TString*>(o);
    if (ts->hash == h && ts->len == l && same_bytes(str, getstr(ts), l)) {
      if (isdead(g, o)) changewhite(o);  // found while the sweep has not reached it yet
      return ts;
    }
  }
  return newshrstr(L, str, l, h);
}

TString* internshrstr(lua_State* L, const char* str, size_t l) {
  return internhashed(L, str, l, short_hash(str, l, G(L)->seed));
}

}  // namespace

uint32_t luaS_hash(const char* str, size_t l, uint32_t seed) {
  return l <= LUAI_MAXSHORTLEN ? short_hash(str, l, seed) : long_hash(str, l, seed);
}

void luaS_resize(lua_State* L, int newsize) {
  global_State* g = G(L);
  while (g->gcstate == GCSsweepstring) luaC_runtilstate(L, ~(1 << GCSsweepstring));
  stringtable* tb = &g->strt;
  if (newsize > tb->size) {
    tb->hash = luaM_reallocvector<GCObject*>(L, tb->hash, static_cast<size_t>(tb->size), static_cast<size_t>(newsize));
    for (int i = tb->size; i < newsize; i++) tb->hash[i] = nullptr;
  }
  // The bucket bits are made anew; when they cannot be had the sweep reads
  // every bucket.
  uint64_t* filled = nullptr;
  if (luaS_texts* texts = g->texts) {
    delete[] texts->filled;
    texts->filled = filled = new (std::nothrow) uint64_t[(static_cast<size_t>(newsize) + 63) / 64]();
  }
  for (int i = 0; i < tb->size; i++) {
    GCObject* p = tb->hash[i];
    tb->hash[i] = nullptr;
    while (p != nullptr) {
      GCObject* next = p->next;
      int h = bucket_of(static_cast<TString*>(p)->hash, newsize);
      p->next = tb->hash[h];
      tb->hash[h] = p;
      if (filled != nullptr) setbit(filled, h);
      resetoldbit(p);
      p = next;
    }
  }
  if (newsize < tb->size) {
    tb->hash = luaM_reallocvector<GCObject*>(L, tb->hash, static_cast<size_t>(tb->size), static_cast<size_t>(newsize));
  }
  tb->size = newsize;
}

TString* luaS_newshrstr(lua_State* L, const char* str, size_t l) { return internshrstr(L, str, l); }

TString* luaS_newshrhashed(lua_State* L, const char* str, size_t l, uint32_t h) { return internhashed(L, str, l, h); }

TString* luaS_newlstr(lua_State* L, const char* str, size_t l) {
  if (l == 1) return luaS_newbyte(L, *str);
  if (l <= LUAI_MAXSHORTLEN) return internshrstr(L, str, l);
  TString* ts = luaS_newlngstr(L, l);
  std::memcpy(getstr(ts), str, l);
  return ts;
}

TString* luaS_new(lua_State* L, const char* str) { return luaS_newlstr(L, str, std::strlen(str)); }

Udata* luaS_newudata(lua_State* L, size_t s, Table* env) {
  if (s > MAX_SIZET - sizeof(Udata)) luaM_toobig(L);
  Udata* u = static_cast<Udata*>(luaC_newobj(L, LUA_TUSERDATA, sizeudata(s), layout32_udata(s), nullptr));
  u->len = s;
  u->metatable = nullptr;
  u->env = env;
  return u;
}

bool luaS_eqlngstr(TString* a, TString* b) {
  size_t len = a->len;
  return a == b || (len == b->len && std::memcmp(getstr(a), getstr(b), len) == 0);
}

bool luaS_eqstr(TString* a, TString* b) {
  return a->tt == b->tt && (a->tt == LUA_TSHRSTR ? eqshrstr(a, b) : luaS_eqlngstr(a, b));
}

uint32_t luaS_lnghash(TString* s) {
  // Until computed, the stored hash holds the state's seed.
  if (s->extra == 0) {
    s->hash = luaS_hash(getstr(s), s->len, s->hash);
    s->extra = 1;
  }
  return s->hash;
}
