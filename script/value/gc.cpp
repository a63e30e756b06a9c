// The incremental collector: marking, the atomic phase, weak tables,
// sweeping, pacing and the generational mode. Objects with "__gc" are kept
// alive for one cycle when found unreachable, then put back on the list of
// all objects without any call.
#include "script/value/gc.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "script/value/lua_mem.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/func.h"
#include "script/vm/stack.h"

namespace {

constexpr ptrdiff_t MAX_LMEM = INT32_MAX;  // cap of the step's work units
constexpr uint8_t maskcolors = static_cast<uint8_t>(~(bitmask(BLACKBIT) | bitmask(OLDBIT) | WHITEBITS));

void makewhite(global_State* g, GCObject* o) {
  o->marked = static_cast<uint8_t>((o->marked & maskcolors) | luaC_white(g));
}
void white2gray(GCObject* o) { o->marked &= static_cast<uint8_t>(~WHITEBITS); }
void black2gray(GCObject* o) { o->marked &= static_cast<uint8_t>(~bitmask(BLACKBIT)); }
bool isfinalized(const GCObject* o) { return (o->marked & bitmask(FINALIZEDBIT)) != 0; }
bool testbit(int x, int b) { return (x & (1 << b)) != 0; }

const TValue* gfasttm(global_State* g, Table* et, TMS e) {
  if (et == nullptr || (et->flags & (1u << e)) != 0) return nullptr;
  return luaT_gettm(et, e, g->tmname[e]);
}

// The gray-list link of the objects that have one.
GCObject** gclist_of(GCObject* o) {
  switch (o->tt) {
    case LUA_TTABLE: return &static_cast<Table*>(o)->gclist;
    case LUA_TLCL: return &static_cast<LClosure*>(o)->gclist;
    case LUA_TCCL: return &static_cast<CClosure*>(o)->gclist;
    case LUA_TTHREAD: return &static_cast<lua_State*>(o)->gclist;
    default: return &static_cast<Proto*>(o)->gclist;
  }
}

void linkto(GCObject* o, GCObject** list) {
  *gclist_of(o) = *list;
  *list = o;
}

void stringmark(TString* s) {
  if (s != nullptr) white2gray(s);
}

// ---- marking ----

void reallymarkobject(global_State* g, GCObject* o);

[[gnu::always_inline]] inline void markvalue(global_State* g, const TValue* v) {
  if (!valiswhite(v)) return;
  GCObject* o = gcvalue(v);
  if (ttisstring(v)) {  // the commonest: black at once, as reallymarkobject makes it
    o->marked = static_cast<uint8_t>((o->marked & ~WHITEBITS) | bitmask(BLACKBIT));
    g->GCmemtrav += sizestring(static_cast<TString*>(o)->len);
    return;
  }
  reallymarkobject(g, o);
}
void markobject(global_State* g, GCObject* o) {
  if (o != nullptr && iswhite(o)) reallymarkobject(g, o);
}

void reallymarkobject(global_State* g, GCObject* o) {
  white2gray(o);
  switch (o->tt) {
    case LUA_TSHRSTR:
    case LUA_TLNGSTR:
      gray2black(o);
      g->GCmemtrav += sizestring(static_cast<TString*>(o)->len);
      break;
    case LUA_TUSERDATA: {
      Udata* u = static_cast<Udata*>(o);
      markobject(g, u->metatable);
      markobject(g, u->env);
      gray2black(o);
      g->GCmemtrav += sizeudata(u->len);
      break;
    }
    case LUA_TUPVAL: {
      UpVal* uv = static_cast<UpVal*>(o);
      markvalue(g, uv->v);
      if (uv->v == &uv->u.value) {  // closed: black; open upvalues stay gray
        gray2black(o);
        g->GCmemtrav += sizeof(UpVal);
      }
      break;
    }
    default: linkto(o, &g->gray); break;  // tables, closures, threads, prototypes
  }
}

void markmt(global_State* g) {
  for (Table* mt : g->mt) markobject(g, mt);
}

void markbeingfnz(global_State* g) {
  for (GCObject* o = g->tobefnz; o != nullptr; o = o->next) {
    makewhite(g, o);
    reallymarkobject(g, o);
  }
}

// Values of open upvalues of threads that may not be marked.
void remarkupvals(global_State* g) {
  for (UpVal* uv = g->uvhead.u.l.next; uv != &g->uvhead; uv = uv->u.l.next) {
    if (isgray(uv)) markvalue(g, uv->v);
  }
}

void markroot(global_State* g) {
  g->gray = g->grayagain = nullptr;
  g->weak = g->allweak = g->ephemeron = nullptr;
  markobject(g, g->mainthread);
  markvalue(g, &g->l_registry);
  markmt(g);
  markbeingfnz(g);
}

// ---- traversal ----

// A white collectable value that is not a string (strings are values, not
// objects, for weak tables: they are marked and kept).
bool iscleared(const TValue* o) {
  if (!iscollectable(o)) return false;
  if (ttisstring(o)) {
    stringmark(tsvalue(o));
    return false;
  }
  return iswhite(gcvalue(o));
}

// An entry with a nil value whose key is white gets a dead key.
void removeentry(Node* n) {
  if (valiswhite(&n->key)) setdeadvalue(&n->key);
}

void traverseweakvalue(global_State* g, Table* h) {
  bool hasclears = h->sizearray > 0;
  for (int i = 0; i < sizenode(h); i++) {
    Node* n = gnode(h, i);
    if (ttisnil(&n->val)) {
      removeentry(n);
    } else {
      markvalue(g, &n->key);
      if (!hasclears && iscleared(&n->val)) hasclears = true;
    }
  }
  linkto(h, hasclears ? &g->weak : &g->grayagain);
}

bool traverseephemeron(global_State* g, Table* h) {
  bool marked = false, hasclears = false, prop = false;
  for (int i = 0; i < h->sizearray; i++) {
    if (valiswhite(&h->array[i])) {
      marked = true;
      reallymarkobject(g, gcvalue(&h->array[i]));
    }
  }
  for (int i = 0; i < sizenode(h); i++) {
    Node* n = gnode(h, i);
    if (ttisnil(&n->val)) {
      removeentry(n);
    } else if (iscleared(&n->key)) {
      hasclears = true;
      if (valiswhite(&n->val)) prop = true;  // the value may be reached later
    } else if (valiswhite(&n->val)) {
      marked = true;
      reallymarkobject(g, gcvalue(&n->val));
    }
  }
  if (prop) linkto(h, &g->ephemeron);
  else if (hasclears) linkto(h, &g->allweak);
  else linkto(h, &g->grayagain);
  return marked;
}

void traversestrongtable(global_State* g, Table* h) {
  for (int i = 0; i < h->sizearray; i++) markvalue(g, &h->array[i]);
  for (int i = 0; i < sizenode(h); i++) {
    Node* n = gnode(h, i);
    if (ttisnil(&n->val)) {
      removeentry(n);
    } else {
      markvalue(g, &n->key);
      markvalue(g, &n->val);
    }
  }
}

size_t traversetable(global_State* g, Table* h) {
  const TValue* mode = gfasttm(g, h->metatable, TM_MODE);
  markobject(g, h->metatable);
  bool weakkey = false, weakvalue = false;
  if (mode != nullptr && ttisstring(mode)) {
    weakkey = std::strchr(svalue(mode), 'k') != nullptr;
    weakvalue = std::strchr(svalue(mode), 'v') != nullptr;
  }
  if (weakkey || weakvalue) {
    black2gray(h);  // weak tables stay gray until the atomic phase
    if (!weakkey) traverseweakvalue(g, h);
    else if (!weakvalue) traverseephemeron(g, h);
    else linkto(h, &g->allweak);
  } else {
    traversestrongtable(g, h);
  }
  return sizeof(Table) + sizeof(TValue) * static_cast<size_t>(h->sizearray) +
         sizeof(Node) * static_cast<size_t>(sizenode(h));
}

size_t traverseproto(global_State* g, Proto* f) {
  if (f->cache != nullptr && iswhite(&f->cache->l)) f->cache = nullptr;  // the cache may be collected
  stringmark(f->source);
  for (int i = 0; i < f->sizek; i++) markvalue(g, &f->k[i]);
  for (int i = 0; i < f->sizeupvalues; i++) stringmark(f->upvalues[i].name);
  for (int i = 0; i < f->sizep; i++) markobject(g, f->p[i]);
  for (int i = 0; i < f->sizelocvars; i++) stringmark(f->locvars[i].varname);
  return sizeof(Proto) + sizeof(Instruction) * static_cast<size_t>(f->sizecode) +
         sizeof(Proto*) * static_cast<size_t>(f->sizep) + sizeof(TValue) * static_cast<size_t>(f->sizek) +
         sizeof(int) * static_cast<size_t>(f->sizelineinfo) + sizeof(LocVar) * static_cast<size_t>(f->sizelocvars) +
         sizeof(Upvaldesc) * static_cast<size_t>(f->sizeupvalues);
}

size_t traverseCclosure(global_State* g, CClosure* cl) {
  for (int i = 0; i < cl->nupvalues; i++) markvalue(g, &cl->upvalue[i]);
  return sizeCclosure(cl->nupvalues);
}

size_t traverseLclosure(global_State* g, LClosure* cl) {
  markobject(g, cl->p);
  for (int i = 0; i < cl->nupvalues; i++) markobject(g, cl->upvals[i]);
  return sizeLclosure(cl->nupvalues);
}

size_t traversestack(global_State* g, lua_State* th) {
  StkId o = th->stack;
  if (o == nullptr) return 1;  // not fully built yet
  for (; o < th->top; o++) markvalue(g, o);
  size_t n = 0;
  if (g->gcstate == GCSatomic) {  // final traversal: clear the dead part
    for (StkId lim = th->stack + th->stacksize; o < lim; o++) setnilvalue(o);
  } else {
    for (CallInfo* ci = &th->base_ci; ci != th->ci; ci = ci->next) n++;
  }
  return sizeof(lua_State) + sizeof(TValue) * static_cast<size_t>(th->stacksize) + sizeof(CallInfo) * n;
}

// Traverses one gray object and makes it black.
void propagatemark(global_State* g) {
  GCObject* o = g->gray;
  gray2black(o);
  size_t size;
  switch (o->tt) {
    case LUA_TTABLE: {
      Table* h = static_cast<Table*>(o);
      g->gray = h->gclist;
      size = traversetable(g, h);
      break;
    }
    case LUA_TLCL: {
      LClosure* cl = static_cast<LClosure*>(o);
      g->gray = cl->gclist;
      size = traverseLclosure(g, cl);
      break;
    }
    case LUA_TCCL: {
      CClosure* cl = static_cast<CClosure*>(o);
      g->gray = cl->gclist;
      size = traverseCclosure(g, cl);
      break;
    }
    case LUA_TTHREAD: {  // threads are traversed again in the atomic phase
      lua_State* th = static_cast<lua_State*>(o);
      g->gray = th->gclist;
      linkto(th, &g->grayagain);
      black2gray(o);
      size = traversestack(g, th);
      break;
    }
    default: {
      Proto* p = static_cast<Proto*>(o);
      g->gray = p->gclist;
      size = traverseproto(g, p);
      break;
    }
  }
  g->GCmemtrav += size;
}

void propagateall(global_State* g) {
  while (g->gray != nullptr) propagatemark(g);
}

void propagatelist(global_State* g, GCObject* l) {
  g->gray = l;
  propagateall(g);
}

void retraversegrays(global_State* g) {
  GCObject* weak = g->weak;
  GCObject* grayagain = g->grayagain;
  GCObject* ephemeron = g->ephemeron;
  g->weak = g->grayagain = g->ephemeron = nullptr;
  propagateall(g);
  propagatelist(g, grayagain);
  propagatelist(g, weak);
  propagatelist(g, ephemeron);
}

void convergeephemerons(global_State* g) {
  bool changed;
  do {
    GCObject* next = g->ephemeron;
    g->ephemeron = nullptr;
    changed = false;
    while (next != nullptr) {
      Table* h = static_cast<Table*>(next);
      next = h->gclist;
      if (traverseephemeron(g, h)) {
        propagateall(g);
        changed = true;
      }
    }
  } while (changed);
}

// ---- clearing weak tables ----

void clearkeys(GCObject* l, GCObject* f) {
  for (; l != f; l = static_cast<Table*>(l)->gclist) {
    Table* h = static_cast<Table*>(l);
    for (int i = 0; i < sizenode(h); i++) {
      Node* n = gnode(h, i);
      if (!ttisnil(&n->val) && iscleared(&n->key)) {
        setnilvalue(&n->val);
        removeentry(n);
      }
    }
  }
}

void clearvalues(GCObject* l, GCObject* f) {
  for (; l != f; l = static_cast<Table*>(l)->gclist) {
    Table* h = static_cast<Table*>(l);
    for (int i = 0; i < h->sizearray; i++) {
      if (iscleared(&h->array[i])) setnilvalue(&h->array[i]);
    }
    for (int i = 0; i < sizenode(h); i++) {
      Node* n = gnode(h, i);
      if (!ttisnil(&n->val) && iscleared(&n->val)) {
        setnilvalue(&n->val);
        removeentry(n);
      }
    }
  }
}

// ---- sweeping ----

// Frees an object's block of size bytes, as luaM_freemem does, without the
// failure handling that a free never needs.
void freeblock(global_State* g, GCObject* o, size_t size) {
  g->frealloc(g->ud, o, size, 0);
  g->GCdebt -= static_cast<ptrdiff_t>(size);
}

void freeobj(lua_State* L, GCObject* o) {
  global_State* g = G(L);
  switch (o->tt) {
    case LUA_TPROTO: luaF_freeproto(L, static_cast<Proto*>(o)); break;
    case LUA_TLCL: freeblock(g, o, sizeLclosure(static_cast<LClosure*>(o)->nupvalues)); break;
    case LUA_TCCL: freeblock(g, o, sizeCclosure(static_cast<CClosure*>(o)->nupvalues)); break;
    case LUA_TUPVAL: luaF_freeupval(L, static_cast<UpVal*>(o)); break;
    case LUA_TTABLE: luaH_free(L, static_cast<Table*>(o)); break;
    case LUA_TTHREAD: luaE_freethread(L, static_cast<lua_State*>(o)); break;
    case LUA_TUSERDATA: freeblock(g, o, sizeudata(static_cast<Udata*>(o)->len)); break;
    case LUA_TSHRSTR:
      g->strt.nuse--;
      freeblock(g, o, sizestring(static_cast<TString*>(o)->len));
      break;
    case LUA_TLNGSTR: freeblock(g, o, sizestring(static_cast<TString*>(o)->len)); break;
    default: break;
  }
}

// What a sweep does to the mark of each object it keeps: clears toclear's
// complement and sets toset; in generational mode it stops at an old object.
struct sweepcolors {
  uint8_t ow;  // the other white: the colour of the dead
  uint8_t toclear;
  uint8_t toset;
  uint8_t tostop;
};

// The mark a sweep leaves on an object it keeps.
uint8_t keptmark(const sweepcolors& c, uint8_t marked) { return static_cast<uint8_t>((marked & c.toclear) | c.toset); }

sweepcolors sweepcolors_of(const global_State* g) {
  if (isgenerational(g)) return {otherwhite(g), 0xff, bitmask(OLDBIT), bitmask(OLDBIT)};
  return {otherwhite(g), maskcolors, luaC_white(g), 0};
}

// Bits lo..hi - 1 of a word (0 <= lo < hi <= 64).
uint64_t bitrange(int lo, int hi) {
  uint64_t below_hi = hi == 64 ? ~uint64_t{0} : (uint64_t{1} << hi) - 1;
  return below_hi & ~((uint64_t{1} << lo) - 1);
}

// Sweeps a chain of the string table as sweeplist sweeps a whole list: dead
// strings are freed, live ones made white (in generational mode: old,
// stopping at the first old one).
void sweepchain(global_State* g, const sweepcolors& c, GCObject** p) {
  for (GCObject* curr; (curr = *p) != nullptr;) {
    uint8_t marked = curr->marked;
    if (isdeadm(c.ow, marked)) {
      *p = curr->next;
      g->strt.nuse--;
      freeblock(g, curr, sizestring(static_cast<TString*>(curr)->len));
    } else {
      if ((marked & c.tostop) != 0) return;
      curr->marked = keptmark(c, marked);
      p = &curr->next;
    }
  }
}

// The rest of a bucket's sweep from *p, the link to its first dead (or, in
// generational mode, old) string: sweepchain's work, and the bucket's bit
// cleared when the bucket is left empty.
void sweeptail(global_State* g, const sweepcolors c, GCObject** p, GCObject** head, uint64_t* word, int k) {
  sweepchain(g, c, p);
  if (*head == nullptr) *word &= ~(uint64_t{1} << k);
}

// Sweeps the buckets of a row of the string table whose bits are set in
// bits (bit k: row[k]); a bucket left empty clears its bit in *word. The
// live strings of a bucket are made white here, and the first dead one
// hands the rest of its bucket to sweeptail. Only a generational sweep can
// stop at an old string: the incremental one leaves that test out.
template <bool generational>
void sweeprow(global_State* g, const sweepcolors c, GCObject** row, uint64_t* word, uint64_t bits) {
  while (bits != 0) {
    int k = std::countr_zero(bits);
    bits &= bits - 1;
    GCObject** p = &row[k];
    GCObject* o = *p;
    do {
      uint8_t marked = o->marked;
      if (isdeadm(c.ow, marked) || (generational && (marked & c.tostop) != 0)) {
        sweeptail(g, c, p, &row[k], word, k);
        break;
      }
      o->marked = keptmark(c, marked);
      p = &o->next;
      o = *p;
    } while (o != nullptr);
  }
}

// Sweeps buckets from..to - 1 of the string table. Only the buckets whose
// bit is set are read; a bucket left empty clears its bit.
void sweepbuckets(global_State* g, int from, int to) {
  const sweepcolors c = sweepcolors_of(g);
  GCObject** hash = g->strt.hash;
  uint64_t* filled = luaS_filled(g);
  if (filled == nullptr) {
    for (int b = from; b < to; b++) {
      if (hash[b] != nullptr) sweepchain(g, c, &hash[b]);
    }
    return;
  }
  bool generational = isgenerational(g);
  for (int base = from & ~63; base < to; base += 64) {
    uint64_t* word = &filled[base >> 6];
    uint64_t bits = *word & bitrange(std::max(from, base) - base, std::min(to - base, 64));
    if (generational) sweeprow<true>(g, c, hash + base, word, bits);
    else sweeprow<false>(g, c, hash + base, word, bits);
  }
}

GCObject** sweeplist(lua_State* L, GCObject** p, size_t count);

void sweepwholelist(lua_State* L, GCObject** p) { sweeplist(L, p, SIZE_MAX); }

void sweepthread(lua_State* L, lua_State* L1) {
  if (L1->stack == nullptr) return;
  sweepwholelist(L, &L1->openupval);
  luaF_setopenlevel(L1);  // the sweep frees dead upvalues
  luaE_freeCI(L1);
  if (G(L)->gckind != KGC_EMERGENCY) luaD_shrinkstack(L1);
}

enum class swept { freed, kept, stop };

// Sweeps the object at *p: a dead one is unlinked and freed; a live one
// gets the mark a sweep leaves (stop: an old one in generational mode,
// left as it is).
[[gnu::always_inline]] inline swept sweepone(lua_State* L, const sweepcolors& c, GCObject** p) {
  GCObject* curr = *p;
  __builtin_prefetch(curr->next);  // on its way while this one is freed
  uint8_t marked = curr->marked;
  if (isdeadm(c.ow, marked)) {
    *p = curr->next;
    if (curr->tt == LUA_TLNGSTR) freeblock(G(L), curr, sizestring(static_cast<TString*>(curr)->len));
    else freeobj(L, curr);
    return swept::freed;
  }
  if ((marked & c.tostop) != 0) return swept::stop;
  if (curr->tt == LUA_TTHREAD) sweepthread(L, static_cast<lua_State*>(curr));
  curr->marked = keptmark(c, marked);
  return swept::kept;
}

// Frees the dead objects among the next count of a list and makes the live
// ones white (in generational mode: old, stopping at the first old one).
GCObject** sweeplist(lua_State* L, GCObject** p, size_t count) {
  const sweepcolors c = sweepcolors_of(G(L));
  while (*p != nullptr && count-- > 0) {
    GCObject* curr = *p;
    swept s = sweepone(L, c, p);
    if (s == swept::stop) return nullptr;
    if (s == swept::kept) p = &curr->next;
  }
  return *p == nullptr ? nullptr : p;
}

// Sweeps a list up to its first live object, so that objects made during
// the sweep (linked at the head) are never swept this cycle. Adds to *n the
// objects looked at, the live one and an empty list's end counting one
// each, as sweeping them one at a time would.
GCObject** sweeptolive(lua_State* L, GCObject** p, int* n) {
  const sweepcolors c = sweepcolors_of(G(L));
  int looked = 0;
  GCObject** rest = nullptr;
  for (;;) {
    looked++;
    GCObject* curr = *p;
    if (curr == nullptr) break;
    swept s = sweepone(L, c, p);
    if (s == swept::freed) {
      if (*p == nullptr) break;
      continue;
    }
    if (s == swept::kept) rest = curr->next == nullptr ? nullptr : &curr->next;
    break;
  }
  if (n != nullptr) *n += looked;
  return rest;
}

// The join buffer a cycle's end leaves in place: one this small is about to
// be needed again.
constexpr size_t KEPT_BUFFER = 8192;

// At the end of a cycle: halve a string table less than an eighth full (one
// only a little emptier than it was would double again in the next cycle,
// when the strings a program makes anew come back), free a large join
// buffer.
void checkSizes(lua_State* L) {
  global_State* g = G(L);
  if (g->gckind == KGC_EMERGENCY) return;
  int hs = g->strt.size / 2;
  if (g->strt.nuse < static_cast<uint32_t>(hs / 4)) luaS_resize(L, hs);
  if (luaZ_sizebuffer(&g->buff) > KEPT_BUFFER) luaZ_freebuffer(L, &g->buff);
}

// ---- objects with "__gc" (never called) ----

// Puts the first object found unreachable back on the list of all objects.
void udata2finalize(global_State* g) {
  GCObject* o = g->tobefnz;
  g->tobefnz = o->next;
  o->next = g->allgc;
  g->allgc = o;
  o->marked &= static_cast<uint8_t>(~bitmask(SEPARATED));
  if (!keepinvariant(g)) makewhite(g, o);
}

void releaseallpending(global_State* g) {
  while (g->tobefnz != nullptr) {
    resetoldbit(g->tobefnz);
    udata2finalize(g);
  }
}

// Moves unreachable (or, with all, every) object of the finalizer list to
// the to-be-finalized list, marking it finalized.
void separatetobefnz(lua_State* L, bool all) {
  global_State* g = G(L);
  GCObject** p = &g->finobj;
  GCObject** lastnext = &g->tobefnz;
  while (*lastnext != nullptr) lastnext = &(*lastnext)->next;
  GCObject* curr;
  while ((curr = *p) != nullptr) {
    if (!(iswhite(curr) || all) || isfinalized(curr)) {
      p = &curr->next;
    } else {
      curr->marked |= bitmask(FINALIZEDBIT);
      *p = curr->next;
      curr->next = *lastnext;
      *lastnext = curr;
      lastnext = &curr->next;
    }
  }
}

// ---- phases and pacing ----

size_t atomic(lua_State* L) {
  global_State* g = G(L);
  ptrdiff_t work = -static_cast<ptrdiff_t>(g->GCmemtrav);
  markobject(g, L);  // the running thread
  markvalue(g, &g->l_registry);
  markmt(g);
  remarkupvals(g);
  propagateall(g);
  work += static_cast<ptrdiff_t>(g->GCmemtrav);
  retraversegrays(g);
  work -= static_cast<ptrdiff_t>(g->GCmemtrav);
  convergeephemerons(g);
  luaS_forgettexts(g);  // they hold strings the sweep may free
  // every strongly reachable object is marked: clear weak values first
  clearvalues(g->weak, nullptr);
  clearvalues(g->allweak, nullptr);
  GCObject* origweak = g->weak;
  GCObject* origall = g->allweak;
  work += static_cast<ptrdiff_t>(g->GCmemtrav);
  separatetobefnz(L, false);
  markbeingfnz(g);  // kept alive for this cycle
  propagateall(g);
  work -= static_cast<ptrdiff_t>(g->GCmemtrav);
  convergeephemerons(g);
  clearkeys(g->ephemeron, nullptr);
  clearkeys(g->allweak, nullptr);
  clearvalues(g->weak, origweak);
  clearvalues(g->allweak, origall);
  g->currentwhite = otherwhite(g);
  work += static_cast<ptrdiff_t>(g->GCmemtrav);
  return static_cast<size_t>(work);
}

int entersweep(lua_State* L) {
  global_State* g = G(L);
  int n = 0;
  g->gcstate = GCSsweepstring;
  g->sweepstrgc = 0;
  g->sweepfin = sweeptolive(L, &g->finobj, &n);
  g->sweepgc = sweeptolive(L, &g->allgc, &n);
  return n;
}

size_t singlestep(lua_State* L) {
  global_State* g = G(L);
  switch (g->gcstate) {
    case GCSpause:
      g->GCmemtrav = static_cast<size_t>(g->strt.size) * 4;
      if (!isgenerational(g)) markroot(g);
      g->gcstate = GCSpropagate;
      return g->GCmemtrav;
    case GCSpropagate: {
      if (g->gray != nullptr) {
        size_t oldtrav = g->GCmemtrav;
        propagatemark(g);
        return g->GCmemtrav - oldtrav;
      }
      g->gcstate = GCSatomic;
      g->GCestimate = g->GCmemtrav;
      size_t work = atomic(L);
      g->GCestimate += work;
      int sw = entersweep(L);
      return work + static_cast<size_t>(sw) * GCSWEEPCOST;
    }
    case GCSsweepstring: {
      int from = g->sweepstrgc;
      int to = std::max(from, std::min(from + GCSWEEPMAX, g->strt.size));
      sweepbuckets(g, from, to);
      g->sweepstrgc = to;
      if (to >= g->strt.size) g->gcstate = GCSsweepudata;
      return static_cast<size_t>(to - from) * GCSWEEPCOST;
    }
    case GCSsweepudata:
      if (g->sweepfin != nullptr) {
        g->sweepfin = sweeplist(L, g->sweepfin, GCSWEEPMAX);
        return GCSWEEPMAX * GCSWEEPCOST;
      }
      g->gcstate = GCSsweep;
      return 0;
    case GCSsweep:
      if (g->sweepgc != nullptr) {
        g->sweepgc = sweeplist(L, g->sweepgc, GCSWEEPMAX);
        return GCSWEEPMAX * GCSWEEPCOST;
      } else {
        GCObject* mt = g->mainthread;  // the main thread is on no list
        sweeplist(L, &mt, 1);
        checkSizes(L);
        g->gcstate = GCSpause;
        return GCSWEEPCOST;
      }
    default: return 0;
  }
}

// Debt until the next cycle: the threshold is the estimate scaled by pause.
void setpause(global_State* g, size_t estimate) {
  ptrdiff_t e = static_cast<ptrdiff_t>(estimate / PAUSEADJ);
  ptrdiff_t threshold = (e == 0 || g->gcpause < MAX_LMEM / e) ? e * g->gcpause : MAX_LMEM;
  luaE_setdebt(g, -(threshold - static_cast<ptrdiff_t>(gettotalbytes(g))));
}

void incstep(lua_State* L) {
  global_State* g = G(L);
  ptrdiff_t stepmul = g->gcstepmul < 40 ? 40 : g->gcstepmul;
  ptrdiff_t debt = g->GCdebt / STEPMULADJ + 1;
  debt = debt < MAX_LMEM / stepmul ? debt * stepmul : MAX_LMEM;
  do {
    debt -= static_cast<ptrdiff_t>(singlestep(L));
  } while (debt > -GCSTEPSIZE && g->gcstate != GCSpause);
  if (g->gcstate == GCSpause) setpause(g, g->GCestimate);
  else luaE_setdebt(g, (debt / stepmul) * STEPMULADJ);
}

void generationalcollection(lua_State* L) {
  global_State* g = G(L);
  if (g->GCestimate == 0) {  // a major collection is due
    luaC_fullgc(L, 0);
    g->GCestimate = gettotalbytes(g);
  } else {
    size_t estimate = g->GCestimate;
    luaC_runtilstate(L, 1 << GCSpause);  // a whole minor cycle
    g->gcstate = GCSpropagate;           // between cycles the mode stays in propagate
    if (gettotalbytes(g) > (estimate / 100) * static_cast<size_t>(g->gcmajorinc)) g->GCestimate = 0;
    else g->GCestimate = estimate;
  }
  setpause(g, gettotalbytes(g));
}

}  // namespace

GCObject* luaC_newobj(lua_State* L, int tt, size_t sz, size_t charge, GCObject** list) {
  global_State* g = G(L);
  GCObject* o = static_cast<GCObject*>(luaM_newobject(L, tt, sz, charge));
  if (list == nullptr) list = &g->allgc;
  o->marked = luaC_white(g);
  o->tt = static_cast<uint8_t>(tt);
  o->next = *list;
  *list = o;
  return o;
}

void luaC_barrier_(lua_State* L, GCObject* o, GCObject* v) {
  global_State* g = G(L);
  if (keepinvariant(g)) reallymarkobject(g, v);  // restore the invariant
  else makewhite(g, o);                          // sweeping: o is white from now on
}

void luaC_barrierback_(lua_State* L, GCObject* o) {
  global_State* g = G(L);
  black2gray(o);
  linkto(o, &g->grayagain);
}

void luaC_barrierproto_(lua_State* L, Proto* p, Closure* c) {
  global_State* g = G(L);
  if (p->cache == nullptr) {
    luaC_objbarrier(L, p, &c->l);
  } else {
    black2gray(p);
    linkto(p, &g->grayagain);
  }
}

void luaC_checkupvalcolor(global_State* g, UpVal* uv) {
  if (!isgray(uv)) return;
  if (keepinvariant(g)) {
    resetoldbit(uv);
    gray2black(uv);
    markvalue(g, uv->v);
  } else {
    makewhite(g, uv);
  }
}

void luaC_checkfinalizer(lua_State* L, GCObject* o, Table* mt) {
  global_State* g = G(L);
  if (testbit(o->marked, SEPARATED) || isfinalized(o) || gfasttm(g, mt, TM_GC) == nullptr) return;
  if (g->sweepgc == &o->next) g->sweepgc = sweeptolive(L, g->sweepgc, nullptr);  // do not lose the sweep position
  GCObject** p = &g->allgc;
  while (*p != o) p = &(*p)->next;
  *p = o->next;
  o->next = g->finobj;
  g->finobj = o;
  o->marked |= bitmask(SEPARATED);
  if (!keepinvariant(g)) makewhite(g, o);
  else resetoldbit(o);
}

void luaC_runtilstate(lua_State* L, int statesmask) {
  global_State* g = G(L);
  while (!testbit(statesmask, g->gcstate)) singlestep(L);
}

void luaC_forcestep(lua_State* L) {
  global_State* g = G(L);
  if (isgenerational(g)) generationalcollection(L);
  else incstep(L);
  releaseallpending(g);
}

void luaC_step(lua_State* L) {
  global_State* g = G(L);
  if (g->gcrunning) luaC_forcestep(L);
  else luaE_setdebt(g, -GCSTEPSIZE);
}

void luaC_fullgc(lua_State* L, int isemergency) {
  global_State* g = G(L);
  uint8_t origkind = g->gckind;
  if (isemergency) {
    g->gckind = KGC_EMERGENCY;
  } else {
    g->gckind = KGC_NORMAL;
    releaseallpending(g);
  }
  if (keepinvariant(g)) entersweep(L);  // black objects may exist: sweep them white
  luaC_runtilstate(L, 1 << GCSpause);
  luaC_runtilstate(L, ~(1 << GCSpause));
  luaC_runtilstate(L, 1 << GCSpause);
  if (origkind == KGC_GEN) luaC_runtilstate(L, 1 << GCSpropagate);
  g->gckind = origkind;
  setpause(g, gettotalbytes(g));
  if (!isemergency) releaseallpending(g);
}

void luaC_changemode(lua_State* L, int mode) {
  global_State* g = G(L);
  if (mode == g->gckind) return;
  if (mode == KGC_GEN) {
    luaC_runtilstate(L, 1 << GCSpropagate);  // gray lists consistent
    g->GCestimate = gettotalbytes(g);
    g->gckind = KGC_GEN;
  } else {
    g->gckind = KGC_NORMAL;
    entersweep(L);  // sweep everything back to white
    luaC_runtilstate(L, ~((1 << GCSsweepstring) | (1 << GCSsweepudata) | (1 << GCSsweep)));
  }
}

void luaC_freeallobjects(lua_State* L) {
  global_State* g = G(L);
  luaS_forgettexts(g);
  separatetobefnz(L, true);
  releaseallpending(g);
  g->currentwhite = WHITEBITS;  // every object now looks dead
  g->gckind = KGC_NORMAL;
  sweepwholelist(L, &g->finobj);
  sweepwholelist(L, &g->allgc);
  for (int i = 0; i < g->strt.size; i++) sweepwholelist(L, &g->strt.hash[i]);
}
