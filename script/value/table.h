#pragma once
// Tables: an array part for the integer keys 1..32767 and a hash part of
// chained nodes. Number keys are 16.16 values; an integer key has a zero
// fraction and an integer part from 1 to 32767.
#include "script/vm/state.h"

// The array part holds at most the slots 1..32767: index 32768 has no key of
// its own (32768 << 16 is the key -32768).
constexpr int MAXASIZE = 32767;
constexpr int TOVO_MAXINTKEY = 32767;
constexpr int MAXBITS = 30;  // hash part: at most 2^30 nodes

inline Node* gnode(const Table* t, int i) { return &t->node[i]; }

// The node vector of every table without nodes; never written (a write
// would be a fault: it lies in read-only memory).
extern const Node luaH_dummynode;
inline bool luaH_isdummy(const Node* n) { return n == &luaH_dummynode; }

Table* luaH_new(lua_State* L);
// A new table sized as luaH_resize(nasize, nhsize) sizes one, set into
// *into as soon as it is made (before its parts are), so that a collection
// that their allocation runs sees it.
Table* luaH_newsized(lua_State* L, TValue* into, int nasize, int nhsize);
void luaH_free(lua_State* L, Table* t);
// The value slot of a key, or luaO_nilobject() when absent.
const TValue* luaH_get(Table* t, const TValue* key);
// Integer-index lookup: array slot n-1 when 1 <= n <= array size, else the
// number key n << 16 (computed in 32 bits).
const TValue* luaH_getint(Table* t, int n);
const TValue* luaH_getstr(Table* t, TString* key);
// luaH_getstr for the instruction loop, inlined: a short string's chain.
inline const TValue* luaH_getshortstr(Table* t, TString* key) {
  Node* n = gnode(t, static_cast<int>(key->hash & static_cast<uint32_t>(sizenode(t) - 1)));
  do {
    if (ttisshrstring(&n->key) && tsvalue(&n->key) == key) return &n->val;
    n = n->next;
  } while (n != nullptr);
  return luaO_nilobject();
}
// The value slot of the key "__index" (index, the interned name) in a
// metatable, or luaO_nilobject() when absent. Where the key lies is kept in
// the table until a new key or a new node vector may move it; a value
// changed or cleared in place is read through the slot.
const TValue* luaH_getindexslot(Table* t, TString* index);
inline const TValue* luaH_indexslot(Table* t, TString* index) {
  if (t->indexnode != 0) return &gnode(t, static_cast<int>(t->indexnode - 1))->val;
  return luaH_getindexslot(t, index);
}
// The array slot of a number key with no fraction and an integer part from
// 1 to the array size, else null (the key belongs to the hash part).
// Negative keys read as integer parts from 32768 up, past every array part.
static_assert(MAXASIZE <= 32767);
inline TValue* luaH_arrayslot(Table* t, lua_Number v) {
  uint32_t n = static_cast<uint32_t>(v) >> 16;
  if ((v & 0xffff) != 0 || n - 1u >= static_cast<uint32_t>(t->sizearray)) return nullptr;
  return &t->array[n - 1];
}
// The value slot of a key, inserting the key (with a nil value) when absent.
TValue* luaH_set(lua_State* L, Table* t, const TValue* key);
void luaH_setint(lua_State* L, Table* t, int n, const TValue* value);
// luaH_setint for a key n known to be absent from both parts.
void luaH_setnewint(lua_State* L, Table* t, int n, const TValue* value);
TValue* luaH_newkey(lua_State* L, Table* t, const TValue* key);
// luaH_newkey for a short-string key absent from t when the key's main
// position is free, inline: the key's (nil) value slot; null when the
// position is taken or t has no nodes (luaH_newkey then moves nodes or
// rehashes). The caller gives the collector's back barrier for the key.
inline TValue* luaH_newkeyatmain(Table* t, const TValue* key) {
  Node* mp = gnode(t, static_cast<int>(tsvalue(key)->hash & static_cast<uint32_t>(sizenode(t) - 1)));
  if (!ttisnil(&mp->val) || luaH_isdummy(mp)) return nullptr;
  t->indexnode = 0;  // a new key may take or move any node
  setobj(&mp->key, key);
  return &mp->val;
}
// luaH_newkey for a key (not nil) absent from t as far as it needs no new
// node vector: the key's (nil) value slot, in the node luaH_newkey gives
// it; null when t has no free node (luaH_newkey then rehashes). The caller
// gives the collector's back barrier for the key.
TValue* luaH_newkeyinnode(Table* t, const TValue* key);
void luaH_resize(lua_State* L, Table* t, int nasize, int nhsize);
void luaH_resizearray(lua_State* L, Table* t, int nasize);
// A border: an index i with t[i] present and t[i+1] absent (0 when t[1] is).
int luaH_getn(Table* t);
// luaH_getn's border, inline, of a table whose array part has a power of
// two slots and an empty last slot, as appends leave it; -1 for any other.
// The bounds of the search stay a power of two apart, so the probe is the
// lower bound plus half that distance and only the lower bound moves.
inline int luaH_arrayborder(const Table* t) {
  unsigned u = static_cast<unsigned>(t->sizearray);
  if (u == 0 || (u & (u - 1)) != 0 || !ttisnil(&t->array[u - 1])) return -1;
  const TValue* a = t->array;
  unsigned i = 0;
  for (unsigned half = u / 2; half != 0; half /= 2) {
    if (!ttisnil(&a[i + half - 1])) i += half;
  }
  return static_cast<int>(i);
}
// Traversal: replaces the key at key with the next key and puts its value at
// key+1; 0 at the end. Raises "invalid key to 'next'" for a key not present.
int luaH_next(lua_State* L, Table* t, StkId key);
int luaH_next_tovo_all(lua_State* L, Table* t, StkId key);
// Debugging aid: one line per array index to standard output.
void print_table_state(Table* t);

// The sizes of the array and hash parts a rehash for the new key ek gives:
// the census of the integer keys (exposed for tests).
void luaH_rehashsizes(const Table* t, const TValue* ek, int* nasize, int* nhsize);
// True when a rehash for the new key ek only grows the array part: no hash
// part, every array slot in use and ek the next index. Sets the array size,
// which is the one luaH_rehashsizes gives (with a hash size of 0).
bool luaH_arraygrowth(const Table* t, const TValue* ek, int* nasize);
// The main position of a key in the hash part (exposed for tests).
Node* luaH_mainposition(const Table* t, const TValue* key);
