// Growing, shrinking and moving a thread's stack.
#include "script/vm/stack.h"

#include "script/value/lua_mem.h"
#include "script/vm/func.h"
#include "script/vm/unwind.h"

void luaD_reallocstack(lua_State* L, int newsize) {
  TValue* old = L->stack;
  int oldsize = L->stacksize;
  TValue* stack = luaM_newvector<TValue>(L, static_cast<size_t>(newsize));
  int keep = oldsize < newsize ? oldsize : newsize;
  for (int i = 0; i < keep; i++) stack[i] = old[i];
  for (int i = keep; i < newsize; i++) setnilvalue(stack + i);
  auto moved = [&](TValue* p) { return stack + (p - old); };
  L->top = moved(L->top);
  for (GCObject* o = L->openupval; o != nullptr; o = o->next) {
    UpVal* uv = static_cast<UpVal*>(o);
    uv->v = moved(uv->v);
  }
  luaF_setopenlevel(L);
  for (CallInfo* ci = L->ci; ci != nullptr; ci = ci->previous) {
    ci->top = moved(ci->top);
    ci->func = moved(ci->func);
    if (isLua(ci)) ci->u.l.base = moved(ci->u.l.base);
  }
  L->stack = stack;
  L->stacksize = newsize;
  L->stack_last = stack + newsize - EXTRA_STACK;
  luaM_freearray(L, old, static_cast<size_t>(oldsize));
}

void luaD_growstack(lua_State* L, int n) {
  int size = L->stacksize;
  if (size > LUAI_MAXSTACK) luaD_throw(L, LUA_ERRERR);  // still handling an overflow
  int needed = static_cast<int>(L->top - L->stack) + n + EXTRA_STACK;
  int newsize = 2 * size;
  if (newsize > LUAI_MAXSTACK) newsize = LUAI_MAXSTACK;
  if (newsize < needed) newsize = needed;
  if (newsize > LUAI_MAXSTACK) {
    luaD_reallocstack(L, ERRORSTACKSIZE);
    luaG_runerror(L, "stack overflow");
  }
  luaD_reallocstack(L, newsize);
}

namespace {

int stack_in_use(lua_State* L) {
  StkId lim = L->top;
  for (CallInfo* ci = L->ci; ci != nullptr; ci = ci->previous) {
    if (lim < ci->top) lim = ci->top;
  }
  return static_cast<int>(lim - L->stack) + 1;
}

}  // namespace

void luaD_shrinkstack(lua_State* L) {
  int inuse = stack_in_use(L);
  int goodsize = inuse + inuse / 8 + 2 * EXTRA_STACK;
  if (goodsize > LUAI_MAXSTACK) goodsize = LUAI_MAXSTACK;
  if (inuse <= LUAI_MAXSTACK) luaE_freeCI(L);
  if (inuse <= LUAI_MAXSTACK && goodsize < L->stacksize) luaD_reallocstack(L, goodsize);
}
