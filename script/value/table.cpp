// Tables: array part, chained hash part with Brent's variation, rehash by a
// census of integer keys, border search and traversal.
#include "script/value/table.h"

#include <cstdio>

#include "script/value/gc.h"
#include "script/value/lua_mem.h"
#include "script/value/number.h"
#include "script/value/string.h"
#include "script/vm/unwind.h"

const Node luaH_dummynode = {{{nullptr}, LUA_TNIL}, {{nullptr}, LUA_TNIL}, nullptr};

namespace {

// Stored in tables as a plain node pointer; no path writes through it.
Node* const dummynode = const_cast<Node*>(&luaH_dummynode);

// The integer part of an integer key (1..32767, no fraction), else 0.
int arrayindex(const TValue* key) {
  if (!ttisnumber(key)) return 0;
  lua_Number v = nvalue(key);
  return (v > 0 && (v & 0xffff) == 0) ? v >> 16 : 0;
}

// Node counts are powers of two; numbers and pointers hash modulo an odd
// number so that their low bits (all zero for whole numbers) do not decide.
Node* hashmod(const Table* t, uint32_t n) {
  return gnode(t, static_cast<int>(n % static_cast<uint32_t>((sizenode(t) - 1) | 1)));
}
Node* hashpow2(const Table* t, uint32_t n) {
  return gnode(t, static_cast<int>(n & static_cast<uint32_t>(sizenode(t) - 1)));
}
Node* hashpointer(const Table* t, const void* p) {
  uintptr_t u = reinterpret_cast<uintptr_t>(p);
  return gnode(t, static_cast<int>(u % static_cast<uintptr_t>((sizenode(t) - 1) | 1)));
}

Node* hashnum(const Table* t, lua_Number v) {
  if (v == INT32_MIN) return gnode(t, 0);
  return hashmod(t, static_cast<uint32_t>(v < 0 ? -v : v));
}

// The main position of a key of any kind.
Node* mainposition_of(const Table* t, const TValue* key) {
  switch (ttype(key)) {
    case LUA_TNUMBER: return hashnum(t, nvalue(key));
    case LUA_TSHRSTR: return hashpow2(t, tsvalue(key)->hash);
    case LUA_TLNGSTR: return hashpow2(t, luaS_lnghash(tsvalue(key)));
    case LUA_TBOOLEAN: return hashpow2(t, static_cast<uint32_t>(bvalue(key)));
    case LUA_TLIGHTUSERDATA: return hashpointer(t, pvalue(key));
    case LUA_TLCF:
    case LUA_TFCF: return hashpointer(t, reinterpret_cast<const void*>(fvalue(key)));
    default: return hashpointer(t, gcvalue(key));
  }
}

// luaH_mainposition with the commonest key, a short string, inline: a
// constructor's fields and a record's new names take this way.
[[gnu::always_inline]] inline Node* mainposition(const Table* t, const TValue* key) {
  if (ttisshrstring(key)) return hashpow2(t, tsvalue(key)->hash);
  return mainposition_of(t, key);
}

const TValue* getgeneric(Table* t, const TValue* key) {
  for (Node* n = luaH_mainposition(t, key); n != nullptr; n = n->next) {
    if (luaO_rawequalObj(&n->key, key)) return &n->val;
  }
  return luaO_nilobject();
}

// A number key lookup in the hash part.
const TValue* getnumkey(Table* t, lua_Number v) {
  for (Node* n = hashnum(t, v); n != nullptr; n = n->next) {
    if (ttisnumber(&n->key) && nvalue(&n->key) == v) return &n->val;
  }
  return luaO_nilobject();
}

// Frees a block of size bytes as luaM_freearray does, without the failure
// handling that a free never needs.
void free_block(lua_State* L, void* block, size_t size) {
  global_State* g = G(L);
  g->frealloc(g->ud, block, size, 0);
  g->GCdebt -= static_cast<ptrdiff_t>(size);
}

Node* getfreepos(Table* t) {
  while (t->lastfree > t->node) {
    t->lastfree--;
    if (ttisnil(&t->lastfree->key)) return t->lastfree;
  }
  return nullptr;
}

// Nodes free: a nil key and value and no chain.
template <int N>
[[gnu::always_inline]] inline void clearnodes_of(Node* nodes) {
  for (int i = 0; i < N; i++) {
    nodes[i].next = nullptr;
    setnilvalue(&nodes[i].key);
    setnilvalue(&nodes[i].val);
  }
}

// Every node of a new vector of 2^lsize nodes free; the sizes that
// constructors commonly ask for take straight-line stores.
void clearnodes(Node* nodes, int lsize) {
  switch (lsize) {
    case 0: clearnodes_of<1>(nodes); break;
    case 1: clearnodes_of<2>(nodes); break;
    case 2: clearnodes_of<4>(nodes); break;
    case 3: clearnodes_of<8>(nodes); break;
    default:
      for (int i = 0; i < twoto(lsize); i++) clearnodes_of<1>(nodes + i);
  }
}

void setnodevector(lua_State* L, Table* t, int size) {
  t->indexnode = 0;
  if (size == 0) {
    t->node = dummynode;
    t->lsizenode = 0;
    t->lastfree = dummynode;  // no free position
    return;
  }
  int lsize = luaO_ceillog2(static_cast<unsigned>(size));
  if (lsize > MAXBITS) luaG_runerror(L, "table overflow");
  size = twoto(lsize);
  Node* nodes = luaM_newvector<Node>(L, static_cast<size_t>(size));
  clearnodes(nodes, lsize);
  t->node = nodes;
  t->lsizenode = static_cast<uint8_t>(lsize);
  t->lastfree = nodes + size;  // every position is free
}

void setarrayvector(lua_State* L, Table* t, int size) {
  t->array = luaM_reallocvector<TValue>(L, t->array, static_cast<size_t>(t->sizearray), static_cast<size_t>(size));
  for (int i = t->sizearray; i < size; i++) setnilvalue(&t->array[i]);
  t->sizearray = size;
}

// ---- rehash census: nums[i] counts integer keys in (2^(i-1), 2^i] ----

int countint(const TValue* key, int* nums) {
  int k = arrayindex(key);
  if (k == 0) return 0;
  nums[luaO_ceillog2(static_cast<unsigned>(k))]++;
  return 1;
}

int numusearray(const Table* t, int* nums) {
  int ause = 0;
  int i = 1;
  for (int lg = 0, ttlg = 1; lg <= MAXBITS; lg++, ttlg *= 2) {
    int lc = 0;
    int lim = ttlg;
    if (lim > t->sizearray) {
      lim = t->sizearray;
      if (i > lim) break;
    }
    for (; i <= lim; i++) {
      if (!ttisnil(&t->array[i - 1])) lc++;
    }
    nums[lg] += lc;
    ause += lc;
  }
  return ause;
}

int numusehash(const Table* t, int* nums, int* pnasize) {
  int totaluse = 0, ause = 0;
  for (int i = sizenode(t) - 1; i >= 0; i--) {
    const Node* n = &t->node[i];
    if (!ttisnil(&n->val)) {
      ause += countint(&n->key, nums);
      totaluse++;
    }
  }
  *pnasize += ause;
  return totaluse;
}

// The largest power of two n for which more than n/2 of the slots 1..n
// would be used; returns how many keys go to the array part.
int computesizes(const int* nums, int* narray) {
  int a = 0, na = 0, n = 0;
  for (int i = 0, twotoi = 1; twotoi / 2 < *narray; i++, twotoi *= 2) {
    if (nums[i] > 0) {
      a += nums[i];
      if (a > twotoi / 2) {
        n = twotoi;
        na = a;
      }
    }
    if (a == *narray) break;
  }
  *narray = n;
  return na;
}

// What luaH_resize(nasize, 0) does to a table without nodes.
void growarray(lua_State* L, Table* t, int nasize) {
  setarrayvector(L, t, nasize > MAXASIZE ? MAXASIZE : nasize);
  t->indexnode = 0;
}

void rehash(lua_State* L, Table* t, const TValue* ek) {
  int nasize, nhsize;
  if (luaH_arraygrowth(t, ek, &nasize)) {
    growarray(L, t, nasize);
    return;
  }
  luaH_rehashsizes(t, ek, &nasize, &nhsize);
  luaH_resize(L, t, nasize, nhsize);
}

// Border search past the array part; indices above 32767 count as absent.
// Out of line: the array part's search saves no registers for it.
[[gnu::noinline]] int unbound_search(Table* t, int j) {
  int i = j;
  j++;
  while (j <= TOVO_MAXINTKEY && !ttisnil(luaH_getint(t, j))) {
    i = j;
    j = j > TOVO_MAXINTKEY / 2 ? TOVO_MAXINTKEY + 1 : j * 2;
  }
  while (j - i > 1) {
    int m = (i + j) / 2;
    if (ttisnil(luaH_getint(t, m))) j = m;
    else i = m;
  }
  return i;
}

int findindex(lua_State* L, Table* t, StkId key) {
  if (ttisnil(key)) return -1;
  int i = arrayindex(key);
  if (i > 0 && i <= t->sizearray) return i - 1;
  for (Node* n = luaH_mainposition(t, key); n != nullptr; n = n->next) {
    if (luaO_rawequalObj(&n->key, key) ||
        (ttisdeadkey(&n->key) && iscollectable(key) && gcvalue(&n->key) == gcvalue(key))) {
      return static_cast<int>(n - t->node) + t->sizearray;
    }
  }
  luaG_runerror(L, "invalid key to 'next'");
}

}  // namespace

void luaH_rehashsizes(const Table* t, const TValue* ek, int* nasize, int* nhsize) {
  int nums[MAXBITS + 1] = {};
  int na = numusearray(t, nums);
  int totaluse = na;
  totaluse += numusehash(t, nums, &na);
  na += countint(ek, nums);
  totaluse++;
  int inarray = computesizes(nums, &na);
  *nasize = na;
  *nhsize = totaluse - inarray;
}

bool luaH_arraygrowth(const Table* t, const TValue* ek, int* nasize) {
  // Keys 1..n+1 and no other: the census puts all n+1 in an array of the
  // least power of two that holds them, and none in the hash part.
  int n = t->sizearray;
  if (!luaH_isdummy(t->node) || arrayindex(ek) != n + 1) return false;
  for (int i = 0; i < n; i++) {
    if (ttisnil(&t->array[i])) return false;
  }
  *nasize = twoto(luaO_ceillog2(static_cast<unsigned>(n + 1)));
  return true;
}

Node* luaH_mainposition(const Table* t, const TValue* key) { return mainposition(t, key); }

Table* luaH_new(lua_State* L) {
  Table* t = static_cast<Table*>(luaC_newobj(L, LUA_TTABLE, sizeof(Table), LAYOUT32_TABLE, nullptr));
  t->metatable = nullptr;
  t->flags = 0xff;
  t->array = nullptr;
  t->sizearray = 0;
  t->gclist = nullptr;
  setnodevector(L, t, 0);
  return t;
}

Table* luaH_newsized(lua_State* L, TValue* into, int nasize, int nhsize) {
  Table* t = luaH_new(L);
  sethvalue(into, t);
  if (nasize > 0) setarrayvector(L, t, nasize > MAXASIZE ? MAXASIZE : nasize);
  if (nhsize > 0) setnodevector(L, t, nhsize);
  return t;
}

void luaH_free(lua_State* L, Table* t) {
  if (!luaH_isdummy(t->node)) free_block(L, t->node, static_cast<size_t>(sizenode(t)) * sizeof(Node));
  if (t->array != nullptr) free_block(L, t->array, static_cast<size_t>(t->sizearray) * sizeof(TValue));
  free_block(L, t, sizeof(Table));
}

const TValue* luaH_getint(Table* t, int n) {
  if (static_cast<uint32_t>(n) - 1u < static_cast<uint32_t>(t->sizearray)) return &t->array[n - 1];
  return getnumkey(t, tovo_int2num(n));
}

const TValue* luaH_getstr(Table* t, TString* key) { return luaH_getshortstr(t, key); }

const TValue* luaH_getindexslot(Table* t, TString* index) {
  const TValue* slot = luaH_getshortstr(t, index);
  if (slot != luaO_nilobject()) {
    // The value is the first member of its node.
    t->indexnode = static_cast<uint32_t>(reinterpret_cast<const Node*>(slot) - t->node) + 1;
  }
  return slot;
}

const TValue* luaH_get(Table* t, const TValue* key) {
  switch (ttype(key)) {
    case LUA_TNIL: return luaO_nilobject();
    case LUA_TSHRSTR: return luaH_getstr(t, tsvalue(key));
    case LUA_TNUMBER: {
      int k = arrayindex(key);
      return k != 0 ? luaH_getint(t, k) : getnumkey(t, nvalue(key));
    }
    default: return getgeneric(t, key);
  }
}

namespace {

// The node for a new key whose main position mp is taken (or is the
// dummy): a free node, or mp itself once its occupant, not in its own main
// position, has moved to a free node; null when no node is free.
inline Node* freenode_for(Table* t, Node* mp) {
  Node* f = getfreepos(t);
  if (f == nullptr) return nullptr;
  Node* othern = mainposition(t, &mp->key);
  if (othern != mp) {
    // The occupant is not in its main position: move it to the free node.
    while (othern->next != mp) othern = othern->next;
    othern->next = f;
    *f = *mp;
    mp->next = nullptr;
    setnilvalue(&mp->val);
    return mp;
  }
  // The occupant is: the new key goes to the free node, chained after it.
  f->next = mp->next;
  mp->next = f;
  return f;
}

// The new key's slot when its main position mp is taken (or the part is
// the dummy): a free node, or a rehash when none is left.
[[gnu::noinline]] TValue* newkey_elsewhere(lua_State* L, Table* t, const TValue* key, Node* mp) {
  Node* n = freenode_for(t, mp);
  if (n == nullptr) {
    rehash(L, t, key);
    return luaH_set(L, t, key);
  }
  setobj(&n->key, key);
  luaC_barrierback(L, t, key);
  return &n->val;
}

}  // namespace

TValue* luaH_newkey(lua_State* L, Table* t, const TValue* key) {
  if (ttisnil(key)) luaG_runerror(L, "table index is nil");
  t->indexnode = 0;  // a new key may take or move any node
  Node* mp = mainposition(t, key);
  if (!ttisnil(&mp->val) || luaH_isdummy(mp)) return newkey_elsewhere(L, t, key, mp);
  setobj(&mp->key, key);
  luaC_barrierback(L, t, key);
  return &mp->val;
}

TValue* luaH_newkeyinnode(Table* t, const TValue* key) {
  t->indexnode = 0;
  Node* mp = mainposition(t, key);
  Node* n = (!ttisnil(&mp->val) || luaH_isdummy(mp)) ? freenode_for(t, mp) : mp;
  if (n == nullptr) return nullptr;
  setobj(&n->key, key);
  return &n->val;
}

TValue* luaH_set(lua_State* L, Table* t, const TValue* key) {
  const TValue* p = luaH_get(t, key);
  if (p != luaO_nilobject()) return const_cast<TValue*>(p);
  return luaH_newkey(L, t, key);
}

void luaH_setint(lua_State* L, Table* t, int n, const TValue* value) {
  const TValue* p = luaH_getint(t, n);
  if (p != luaO_nilobject()) setobj(const_cast<TValue*>(p), value);
  else luaH_setnewint(L, t, n, value);
}

void luaH_setnewint(lua_State* L, Table* t, int n, const TValue* value) {
  TValue k;
  setnvalue(&k, tovo_int2num(n));
  int nasize;
  TValue* cell;
  if (luaH_arraygrowth(t, &k, &nasize)) {
    // An append past a full array part without nodes, as add makes it:
    // the growth the new key's rehash would make, without the search.
    growarray(L, t, nasize);
    cell = &t->array[n - 1];
  } else {
    cell = luaH_newkey(L, t, &k);
  }
  setobj(cell, value);
}

namespace {

// Puts the keys of the old node vector (2^oldhsize nodes) into the table's
// new parts, then frees the old vector.
[[gnu::noinline]] void reinsert(lua_State* L, Table* t, Node* nold, int oldhsize) {
  for (int j = twoto(oldhsize) - 1; j >= 0; j--) {
    Node* old = nold + j;
    if (!ttisnil(&old->val)) setobj(luaH_set(L, t, &old->key), &old->val);
  }
  free_block(L, nold, static_cast<size_t>(twoto(oldhsize)) * sizeof(Node));
}

}  // namespace

void luaH_resize(lua_State* L, Table* t, int nasize, int nhsize) {
  if (nasize > MAXASIZE) nasize = MAXASIZE;
  int oldhsize = t->lsizenode;
  Node* nold = t->node;
  if (nasize > t->sizearray) setarrayvector(L, t, nasize);  // the array part never shrinks
  setnodevector(L, t, nhsize);
  // A constructor's table has no node yet: no key to move, no block to free.
  if (nold != dummynode) reinsert(L, t, nold, oldhsize);
}

void luaH_resizearray(lua_State* L, Table* t, int nasize) {
  int nsize = luaH_isdummy(t->node) ? 0 : sizenode(t);
  luaH_resize(L, t, nasize, nsize);
}

int luaH_getn(Table* t) {
  int j = t->sizearray;
  if (j > 0 && ttisnil(&t->array[j - 1])) {
    const TValue* a = t->array;
    unsigned i = 0, u = static_cast<unsigned>(j);
    if ((u & (u - 1)) == 0) return luaH_arrayborder(t);  // a power of two, as appends grow it
    // Unsigned bounds: the halving is one shift.
    while (u - i > 1) {
      unsigned m = (i + u) / 2;
      if (ttisnil(&a[m - 1])) u = m;
      else i = m;
    }
    return static_cast<int>(i);
  }
  if (luaH_isdummy(t->node)) return j;
  return unbound_search(t, j);
}

int luaH_next(lua_State* L, Table* t, StkId key) {
  int i = findindex(L, t, key);
  for (i++; i < t->sizearray; i++) {
    if (!ttisnil(&t->array[i])) {
      setnvalue(key, tovo_int2num(i + 1));
      setobj(key + 1, &t->array[i]);
      return 1;
    }
  }
  for (i -= t->sizearray; i < sizenode(t); i++) {
    if (!ttisnil(&t->node[i].val)) {
      setobj(key, &t->node[i].key);
      setobj(key + 1, &t->node[i].val);
      return 1;
    }
  }
  return 0;
}

int luaH_next_tovo_all(lua_State* L, Table* t, StkId key) { return luaH_next(L, t, key); }

void print_table_state(Table* t) {
  for (int i = 0; i < t->sizearray; i++) {
    std::printf("  table el %d: %s\n", i, ttisnil(luaH_getint(t, i)) ? "-" : "!nill");
  }
}
