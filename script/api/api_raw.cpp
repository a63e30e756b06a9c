// The native interface: table access, traversal, metatables, userdata,
// upvalues, dumping and the allocator.
#include <algorithm>

#include "script/api/api_access.h"
#include "script/api/api_index.h"
#include "script/compiler/undump.h"
#include "script/value/gc.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/func.h"
#include "script/vm/stack.h"
#include "script/vm/tm.h"
#include "script/vm/vm.h"

namespace {

// A raw store into t: the metamethod cache is cleared and the table is
// marked for the collector.
void raw_store(lua_State* L, Table* t, TValue* cell, const TValue* v) {
  setobj(cell, v);
  t->flags = 0;
  luaC_barrierback(L, t, v);
}

// The name and value slot of upvalue n of a function, or null.
const char* aux_upvalue(const TValue* fi, int n, TValue** val, GCObject** owner) {
  if (ttisCclosure(fi)) {
    CClosure* f = clCvalue(fi);
    if (n < 1 || n > f->nupvalues) return nullptr;
    *val = &f->upvalue[n - 1];
    if (owner != nullptr) *owner = f;
    return "";
  }
  if (ttisLclosure(fi)) {
    LClosure* f = clLvalue(fi);
    Proto* p = f->p;
    if (n < 1 || n > p->sizeupvalues) return nullptr;
    *val = f->upvals[n - 1]->v;
    if (owner != nullptr) *owner = f->upvals[n - 1];
    TString* name = p->upvalues[n - 1].name;
    return name == nullptr ? "" : getstr(name);
  }
  return nullptr;
}

}  // namespace

size_t lua_rawlen(lua_State* L, int idx) {
  const TValue* o = luaA_index2addr(L, idx);
  if (ttisstring(o)) return tsvalue(o)->len;
  if (ttisuserdata(o)) return uvalue(o)->len;
  if (ttistable(o)) return static_cast<size_t>(luaH_getn(hvalue(o)));
  return 0;
}

int lua_tablelen(lua_State* L, int idx) {
  Table* h = hvalue(luaA_index2addr(L, idx));
  return luaT_fasttm(L, h->metatable, TM_LEN) == nullptr ? luaH_getn(h) : -1;
}

void lua_gettable(lua_State* L, int idx) {
  StkId t = luaA_index2addr(L, idx);
  luaV_gettable(L, t, L->top - 1, L->top - 1);
}

void lua_settable(lua_State* L, int idx) {
  StkId t = luaA_index2addr(L, idx);
  luaV_settable(L, t, L->top - 2, L->top - 1);
  L->top -= 2;
}

void lua_rawget(lua_State* L, int idx) {
  StkId t = luaA_index2addr(L, idx);
  setobj(L->top - 1, luaH_get(hvalue(t), L->top - 1));
}

void lua_rawgeti(lua_State* L, int idx, int n) {
  StkId t = luaA_index2addr(L, idx);
  setobj(L->top, luaH_getint(hvalue(t), n));
  incr_top(L);
}

void lua_rawgetp(lua_State* L, int idx, const void* p) {
  StkId t = luaA_index2addr(L, idx);
  TValue k;
  setpvalue(&k, const_cast<void*>(p));
  setobj(L->top, luaH_get(hvalue(t), &k));
  incr_top(L);
}

void lua_rawset(lua_State* L, int idx) {
  Table* t = hvalue(luaA_index2addr(L, idx));
  raw_store(L, t, luaH_set(L, t, L->top - 2), L->top - 1);
  L->top -= 2;
}

void lua_rawseti(lua_State* L, int idx, int n) {
  Table* t = hvalue(luaA_index2addr(L, idx));
  luaH_setint(L, t, n, L->top - 1);
  luaC_barrierback(L, t, L->top - 1);
  L->top--;
}

namespace {

// lua_rawappend of v to t where the border is not found inline: the border
// may lie in the array part (past a hole) or past it.
[[gnu::noinline]] int append_past(lua_State* L, Table* t, const TValue* v) {
  int n = luaH_getn(t);
  // The border lies inside or just past the array part: most appends fill
  // a free array slot without the general store's index arithmetic.
  if (n < t->sizearray) setobj(&t->array[n], v);
  else if (luaH_isdummy(t->node)) luaH_setnewint(L, t, n + 1, v);  // no node holds n + 1
  else luaH_setint(L, t, n + 1, v);
  luaC_barrierback(L, t, v);
  return 1;
}

}  // namespace

int lua_rawappend(lua_State* L, int idx, int vidx) {
  const TValue* o = luaA_index2addr(L, idx);
  if (!ttistable(o)) return -1;
  Table* t = hvalue(o);
  if (luaT_fasttm(L, t->metatable, TM_LEN) != nullptr) return 0;
  const TValue* v = luaA_index2addr(L, vidx);
  // The commonest append: into the empty slot after the border of an array
  // part as appends grow it, with no call before the store.
  int n = luaH_arrayborder(t);
  if (n < 0) return append_past(L, t, v);
  setobj(&t->array[n], v);
  luaC_barrierback(L, t, v);
  return 1;
}

int lua_rawfind(lua_State* L, int idx, int vidx, int n) {
  Table* t = hvalue(luaA_index2addr(L, idx));
  const TValue* v = luaA_index2addr(L, vidx);
  // "__eq" runs only when both operands have one: a value without a
  // metatable is equal to exactly the values raw-equal to it.
  if ((ttistable(v) && hvalue(v)->metatable != nullptr) || (ttisuserdata(v) && uvalue(v)->metatable != nullptr))
    return -1;
  for (int i = 1; i <= n; i++) {
    if (luaV_rawequalobj(luaH_getint(t, i), v)) return i;
  }
  return 0;
}

void lua_rawmove(lua_State* L, int idx, int from, int to, int count) {
  Table* t = hvalue(luaA_index2addr(L, idx));
  bool up = to > from;  // the last first, so that no value is moved before it is read
  if (count > 0 && from >= 1 && to >= 1 && std::max(from, to) <= t->sizearray - count + 1) {
    // all in the array part: slot to slot
    for (int k = 0; k < count; k++) {
      int i = up ? count - 1 - k : k;
      TValue* cell = &t->array[to + i - 1];
      setobj(cell, &t->array[from + i - 1]);
      luaC_barrierback(L, t, cell);
    }
    return;
  }
  for (int k = 0; k < count; k++) {
    int i = up ? count - 1 - k : k;
    TValue v = *luaH_getint(t, from + i);
    luaH_setint(L, t, to + i, &v);
    luaC_barrierback(L, t, &v);
  }
}

void lua_rawsetp(lua_State* L, int idx, const void* p) {
  Table* t = hvalue(luaA_index2addr(L, idx));
  TValue k;
  setpvalue(&k, const_cast<void*>(p));
  raw_store(L, t, luaH_set(L, t, &k), L->top - 1);
  L->top--;
}

int lua_next(lua_State* L, int idx) {
  StkId t = luaA_index2addr(L, idx);
  int more = luaH_next(L, hvalue(t), L->top - 1);
  if (more) {
    incr_top(L);
  } else {
    L->top--;
  }
  return more;
}

void lua_len(lua_State* L, int idx) {
  StkId t = luaA_index2addr(L, idx);
  luaV_objlen(L, L->top, t);
  incr_top(L);
}

int lua_getmetatable(lua_State* L, int objindex) {
  const TValue* obj = luaA_index2addr(L, objindex);
  Table* mt;
  switch (ttypenv(obj)) {
    case LUA_TTABLE: mt = hvalue(obj)->metatable; break;
    case LUA_TUSERDATA: mt = uvalue(obj)->metatable; break;
    default: mt = tovo_isvalid(obj) ? G(L)->mt[ttypenv(obj)] : nullptr; break;
  }
  if (mt == nullptr) return 0;
  sethvalue(L->top, mt);
  incr_top(L);
  return 1;
}

void* lua_newuserdata(lua_State* L, size_t size) {
  luaC_checkGC(L);
  Udata* u = luaS_newudata(L, size, nullptr);
  setgcovalue(L->top, u);
  incr_top(L);
  return getudatamem(u);
}

void lua_getuservalue(lua_State* L, int idx) {
  const TValue* o = luaA_index2addr(L, idx);
  Table* env = uvalue(o)->env;
  if (env == nullptr) {
    setnilvalue(L->top);
  } else {
    sethvalue(L->top, env);
  }
  incr_top(L);
}

void lua_setuservalue(lua_State* L, int idx) {
  const TValue* o = luaA_index2addr(L, idx);
  if (ttisnil(L->top - 1)) {
    uvalue(o)->env = nullptr;
  } else {
    uvalue(o)->env = hvalue(L->top - 1);
    luaC_objbarrier(L, uvalue(o), hvalue(L->top - 1));
  }
  L->top--;
}

const char* lua_getupvalue(lua_State* L, int funcindex, int n) {
  TValue* val = nullptr;
  const char* name = aux_upvalue(luaA_index2addr(L, funcindex), n, &val, nullptr);
  if (name != nullptr) {
    setobj(L->top, val);
    incr_top(L);
  }
  return name;
}

const char* lua_setupvalue(lua_State* L, int funcindex, int n) {
  TValue* val = nullptr;
  GCObject* owner = nullptr;
  const char* name = aux_upvalue(luaA_index2addr(L, funcindex), n, &val, &owner);
  if (name != nullptr) {
    L->top--;
    setobj(val, L->top);
    luaC_barrier(L, owner, L->top);
  }
  return name;
}

void* lua_upvalueid(lua_State* L, int fidx, int n) {
  const TValue* fi = luaA_index2addr(L, fidx);
  if (ttisLclosure(fi)) {
    LClosure* f = clLvalue(fi);
    return (n >= 1 && n <= f->p->sizeupvalues) ? f->upvals[n - 1] : nullptr;
  }
  if (ttisCclosure(fi)) {
    CClosure* f = clCvalue(fi);
    return (n >= 1 && n <= f->nupvalues) ? &f->upvalue[n - 1] : nullptr;
  }
  return nullptr;
}

void lua_upvaluejoin(lua_State* L, int fidx1, int n1, int fidx2, int n2) {
  LClosure* f1 = clLvalue(luaA_index2addr(L, fidx1));
  LClosure* f2 = clLvalue(luaA_index2addr(L, fidx2));
  f1->upvals[n1 - 1] = f2->upvals[n2 - 1];
  luaC_objbarrier(L, f1, f2->upvals[n2 - 1]);
}

int lua_dump(lua_State* L, lua_Writer writer, void* data) {
  const TValue* o = L->top - 1;
  if (!isLfunction(o)) return 1;
  return luaU_dump(L, getproto(o), writer, data, 0);
}

lua_Alloc lua_getallocf(lua_State* L, void** ud) {
  if (ud != nullptr) *ud = G(L)->ud;
  return G(L)->frealloc;
}

void lua_setallocf(lua_State* L, lua_Alloc f, void* ud) {
  G(L)->ud = ud;
  G(L)->frealloc = f;
}
