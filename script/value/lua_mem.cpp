// Allocation through the state's hook, with one emergency collection before
// a failure becomes a memory error. Hooks never fail a shrink.
#include "script/value/lua_mem.h"

#include "script/value/gc.h"
#include "script/value/number.h"
#include "script/vm/unwind.h"

namespace {

// The charge of the request the hook is serving (LUA_NO_CHARGE between
// requests). Script code runs on one host thread, as the cycle budget's
// counters assume.
size_t request_charge = LUA_NO_CHARGE;

}  // namespace

size_t lua_alloc_charge() { return request_charge; }

void* luaM_callhook(lua_Alloc f, void* ud, void* block, size_t old_size, size_t new_size, size_t charge) {
  request_charge = new_size > 0 ? charge : LUA_NO_CHARGE;
  void* p = f(ud, block, old_size, new_size);
  request_charge = LUA_NO_CHARGE;
  return p;
}

namespace {

// The request luaM_realloc_ last gave the hook (or luaM_newobject's failed
// one), whose growth is already counted in the collector's debt. It is kept
// here rather than in registers across the call, as only a failed request
// reads it again: the requests that succeed save no registers for it.
struct request {
  void* block;
  size_t old_size;  // for a new object (a null block): its tag
  size_t new_size;
  size_t charge;
};

// The bytes a request adds to the collector's debt.
ptrdiff_t growth(const void* block, size_t old_size, size_t new_size) {
  return static_cast<ptrdiff_t>(new_size) - static_cast<ptrdiff_t>(block ? old_size : 0);
}
request last_request;

// The last request again after the hook failed it: after one emergency
// collection (when the collector runs), or a memory error. Its growth is
// taken out of the debt while the collector runs, as if it had never been
// asked for, and counted again once the block is had.
[[gnu::noinline]] void* retry_request(lua_State* L) {
  const request r = last_request;  // the collection may make requests of its own
  global_State* g = G(L);
  ptrdiff_t grow = growth(r.block, r.old_size, r.new_size);
  g->GCdebt -= grow;
  void* p = nullptr;
  if (g->gcrunning) {
    luaC_fullgc(L, 1);
    p = luaM_callhook(g->frealloc, g->ud, r.block, r.old_size, r.new_size, r.charge);
  }
  if (p == nullptr) luaD_throw(L, LUA_ERRMEM);
  g->GCdebt += grow;
  return p;
}

// Counts the growth of the request and calls the hook for it.
[[gnu::always_inline]] inline void* request_block(lua_State* L, void* block, size_t old_size, size_t new_size,
                                                  size_t charge) {
  global_State* g = G(L);
  last_request = {block, old_size, new_size, charge};
  g->GCdebt += growth(block, old_size, new_size);
  void* p = luaM_callhook(g->frealloc, g->ud, block, old_size, new_size, charge);
  if (p == nullptr && last_request.new_size > 0) p = retry_request(L);
  return p;
}

}  // namespace

void* luaM_realloc_(lua_State* L, void* block, size_t old_size, size_t new_size, size_t charge) {
  return request_block(L, block, old_size, new_size, charge);
}

// A new object's maker keeps its own values in saved registers across the
// call anyway: the request is noted only when it fails.
void* luaM_newobject(lua_State* L, int tag, size_t size, size_t charge) {
  global_State* g = G(L);
  void* p = luaM_callhook(g->frealloc, g->ud, nullptr, static_cast<size_t>(tag), size, charge);
  g->GCdebt += static_cast<ptrdiff_t>(size);
  if (p != nullptr) return p;
  last_request = {nullptr, static_cast<size_t>(tag), size, charge};
  return retry_request(L);
}

void luaM_toobig(lua_State* L) { luaG_runerror(L, "memory allocation error: block too big"); }

void* luaM_growaux_(lua_State* L, void* block, int* size, size_t size_elems, size_t charge_elems, int limit,
                    const char* what) {
  int newsize;
  if (*size >= limit / 2) {
    if (*size >= limit) luaG_runerror(L, "too many %s (limit is %d)", what, tovo_int2num(limit));
    newsize = limit;
  } else {
    newsize = *size * 2;
    if (newsize < 4) newsize = 4;
  }
  if (static_cast<size_t>(newsize) + 1 > MAX_SIZET / size_elems) luaM_toobig(L);
  void* p = luaM_realloc_(L, block, static_cast<size_t>(*size) * size_elems, static_cast<size_t>(newsize) * size_elems,
                          static_cast<size_t>(newsize) * charge_elems);
  *size = newsize;
  return p;
}
