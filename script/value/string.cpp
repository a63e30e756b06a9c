// Strings: hashing, the intern table of short strings, long strings, and
// full userdata.
#include "script/value/string.h"

#include "script/value/gc.h"
#include "script/value/lua_mem.h"

namespace {

int bucket_of(uint32_t h, int size) { return static_cast<int>(h & static_cast<uint32_t>(size - 1)); }

TString* createstrobj(lua_State* L, const char* str, size_t l, int tag, uint32_t h, GCObject** list) {
  TString* ts = static_cast<TString*>(luaC_newobj(L, tag, sizestring(l), layout32_string(l), list));
  ts->len = static_cast<uint32_t>(l);
  ts->hash = h;
  ts->extra = 0;
  std::memcpy(getstr(ts), str, l);
  getstr(ts)[l] = 0;
  return ts;
}

TString* internshrstr(lua_State* L, const char* str, size_t l) {
  global_State* g = G(L);
  uint32_t h = luaS_hash(str, l, g->seed);
  for (GCObject* o = g->strt.hash[bucket_of(h, g->strt.size)]; o != nullptr; o = o->next) {
    TString* ts = static_cast<TString*>(o);
    if (ts->hash == h && ts->len == l && std::memcmp(str, getstr(ts), l) == 0) {
      if (isdead(g, o)) changewhite(o);  // found while the sweep has not reached it yet
      return ts;
    }
  }
  stringtable* tb = &g->strt;
  if (tb->nuse >= static_cast<uint32_t>(tb->size) && tb->size < (1 << 30) - 1) luaS_resize(L, tb->size * 2);
  TString* ts = createstrobj(L, str, l, LUA_TSHRSTR, h, &tb->hash[bucket_of(h, tb->size)]);
  tb->nuse++;
  return ts;
}

}  // namespace

uint32_t luaS_hash(const char* str, size_t l, uint32_t seed) {
  uint32_t h = seed ^ static_cast<uint32_t>(l);
  size_t step = (l >> 5) + 1;
  for (size_t l1 = l; l1 >= step; l1 -= step) h ^= (h << 5) + (h >> 2) + static_cast<unsigned char>(str[l1 - 1]);
  return h;
}

void luaS_resize(lua_State* L, int newsize) {
  global_State* g = G(L);
  while (g->gcstate == GCSsweepstring) luaC_runtilstate(L, ~(1 << GCSsweepstring));
  stringtable* tb = &g->strt;
  if (newsize > tb->size) {
    tb->hash = luaM_reallocvector<GCObject*>(L, tb->hash, static_cast<size_t>(tb->size), static_cast<size_t>(newsize));
    for (int i = tb->size; i < newsize; i++) tb->hash[i] = nullptr;
  }
  for (int i = 0; i < tb->size; i++) {
    GCObject* p = tb->hash[i];
    tb->hash[i] = nullptr;
    while (p != nullptr) {
      GCObject* next = p->next;
      int h = bucket_of(static_cast<TString*>(p)->hash, newsize);
      p->next = tb->hash[h];
      tb->hash[h] = p;
      resetoldbit(p);
      p = next;
    }
  }
  if (newsize < tb->size) {
    tb->hash = luaM_reallocvector<GCObject*>(L, tb->hash, static_cast<size_t>(tb->size), static_cast<size_t>(newsize));
  }
  tb->size = newsize;
}

TString* luaS_newlstr(lua_State* L, const char* str, size_t l) {
  if (l <= LUAI_MAXSHORTLEN) return internshrstr(L, str, l);
  if (l + 1 > MAX_SIZET - sizeof(TString) || l > UINT32_MAX - 1) luaM_toobig(L);
  return createstrobj(L, str, l, LUA_TLNGSTR, G(L)->seed, nullptr);
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
