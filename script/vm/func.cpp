// Prototypes, closures and upvalues.
#include "script/vm/func.h"

#include "script/value/gc.h"
#include "script/value/lua_mem.h"

namespace {

void unlinkupval(UpVal* uv) {
  uv->u.l.next->u.l.prev = uv->u.l.prev;
  uv->u.l.prev->u.l.next = uv->u.l.next;
}

}  // namespace

Closure* luaF_newCclosure(lua_State* L, int n) {
  CClosure* c = static_cast<CClosure*>(luaC_newobj(L, LUA_TCCL, sizeCclosure(n), layout32_cclosure(n), nullptr));
  c->nupvalues = static_cast<uint8_t>(n);
  c->gclist = nullptr;
  c->f = nullptr;
  return reinterpret_cast<Closure*>(c);
}

Closure* luaF_newLclosure(lua_State* L, int n) {
  LClosure* c = static_cast<LClosure*>(luaC_newobj(L, LUA_TLCL, sizeLclosure(n), layout32_lclosure(n), nullptr));
  c->p = nullptr;
  c->gclist = nullptr;
  c->nupvalues = static_cast<uint8_t>(n);
  while (n--) c->upvals[n] = nullptr;
  return reinterpret_cast<Closure*>(c);
}

UpVal* luaF_newupval(lua_State* L) {
  UpVal* uv = static_cast<UpVal*>(luaC_newobj(L, LUA_TUPVAL, sizeof(UpVal), LAYOUT32_UPVAL, nullptr));
  uv->v = &uv->u.value;
  setnilvalue(uv->v);
  return uv;
}

UpVal* luaF_findupval(lua_State* L, StkId level) {
  global_State* g = G(L);
  GCObject** pp = &L->openupval;
  while (*pp != nullptr) {
    UpVal* p = static_cast<UpVal*>(*pp);
    if (p->v < level) break;
    if (p->v == level) {
      if (isdead(g, p)) changewhite(p);  // found while the sweep has not reached it
      return p;
    }
    resetoldbit(p);  // may create a new link to an old object
    pp = &p->next;
  }
  // Not found: a new open upvalue, linked in stack order and into the global list.
  UpVal* uv = static_cast<UpVal*>(luaC_newobj(L, LUA_TUPVAL, sizeof(UpVal), LAYOUT32_UPVAL, pp));
  uv->v = level;
  uv->u.l.prev = &g->uvhead;
  uv->u.l.next = g->uvhead.u.l.next;
  uv->u.l.next->u.l.prev = uv;
  g->uvhead.u.l.next = uv;
  luaF_setopenlevel(L);
  return uv;
}

void luaF_freeupval(lua_State* L, UpVal* uv) {
  if (uv->v != &uv->u.value) unlinkupval(uv);  // still open
  luaM_free(L, uv);
}

void luaF_close(lua_State* L, StkId level) {
  global_State* g = G(L);
  while (L->openupval != nullptr) {
    UpVal* uv = static_cast<UpVal*>(L->openupval);
    if (uv->v < level) break;
    L->openupval = uv->next;
    if (isdead(g, uv)) {
      luaF_freeupval(L, uv);
    } else {
      unlinkupval(uv);
      setobj(&uv->u.value, uv->v);
      uv->v = &uv->u.value;
      uv->next = g->allgc;  // closed upvalues live on the list of all objects
      g->allgc = uv;
      luaC_checkupvalcolor(g, uv);
    }
  }
  luaF_setopenlevel(L);
}

Proto* luaF_newproto(lua_State* L) {
  Proto* f = static_cast<Proto*>(luaC_newobj(L, LUA_TPROTO, sizeof(Proto), LAYOUT32_PROTO, nullptr));
  f->k = nullptr;
  f->sizek = 0;
  f->p = nullptr;
  f->sizep = 0;
  f->code = nullptr;
  f->cache = nullptr;
  f->sizecode = 0;
  f->lineinfo = nullptr;
  f->sizelineinfo = 0;
  f->upvalues = nullptr;
  f->sizeupvalues = 0;
  f->numparams = 0;
  f->is_vararg = 0;
  f->maxstacksize = 0;
  f->callargs = PROTO_NO_CALLARGS;
  f->callroom = 0;
  f->locvars = nullptr;
  f->sizelocvars = 0;
  f->linedefined = 0;
  f->lastlinedefined = 0;
  f->source = nullptr;
  f->gclist = nullptr;
  return f;
}

void luaF_freeproto(lua_State* L, Proto* f) {
  luaM_freearray(L, f->code, static_cast<size_t>(f->sizecode));
  luaM_freearray(L, f->p, static_cast<size_t>(f->sizep));
  luaM_freearray(L, f->k, static_cast<size_t>(f->sizek));
  luaM_freearray(L, f->lineinfo, static_cast<size_t>(f->sizelineinfo));
  luaM_freearray(L, f->locvars, static_cast<size_t>(f->sizelocvars));
  luaM_freearray(L, f->upvalues, static_cast<size_t>(f->sizeupvalues));
  luaM_free(L, f);
}

const char* luaF_getlocalname(const Proto* f, int local_number, int pc) {
  for (int i = 0; i < f->sizelocvars && f->locvars[i].startpc <= pc; i++) {
    if (pc < f->locvars[i].endpc) {  // the variable is active
      local_number--;
      if (local_number == 0) return getstr(f->locvars[i].varname);
    }
  }
  return nullptr;
}
