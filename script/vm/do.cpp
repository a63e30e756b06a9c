// Preparing and finishing calls, calls from native code and protected calls.
#include "script/vm/do.h"

#include "script/debug/debug.h"
#include "script/value/gc.h"
#include "script/vm/func.h"
#include "script/vm/stack.h"
#include "script/vm/tm.h"
#include "script/vm/vm.h"

namespace {

// Puts the value's "__call" metamethod below the arguments, so that the
// value becomes the first argument; raises the call type error without one.
StkId tryfuncTM(lua_State* L, StkId func) {
  const TValue* tm = luaT_gettmbyobj(L, func, TM_CALL);
  ptrdiff_t funcr = savestack(L, func);
  if (!ttisfunction(tm)) luaG_typeerror(L, func, "call");
  for (StkId p = L->top; p > func; p--) setobj(p, p - 1);
  incr_top(L);
  func = restorestack(L, funcr);  // the stack may have moved
  setobj(func, tm);
  return func;
}

// Moves the fixed parameters of a vararg function above the actual
// arguments; the new base is where they start.
StkId adjust_varargs(lua_State* L, Proto* p, int actual) {
  int nfixargs = p->numparams;
  StkId fixed = L->top - actual;
  StkId base = L->top;
  for (int i = 0; i < nfixargs; i++) {
    setobj(L->top++, fixed + i);
    setnilvalue(fixed + i);
  }
  return base;
}

// A fast native function: no frame, arguments read in place, its int is the
// one result.
int call_fast(lua_State* L, StkId func, int nresults) {
  ptrdiff_t funcr = savestack(L, func);
  L->nargs = static_cast<int32_t>(L->top - func) - 1;
  lua_Number r = fvalue(func)(L);
  func = restorestack(L, funcr);
  setnvalue(func, r);
  for (int i = 1; i < nresults; i++) setnilvalue(func + i);
  L->top = func + (nresults < 0 ? 1 : nresults);
  return 1;
}

// The results of the native call whose frame is current, n of them on top:
// moved to the frame's function slot, the frame popped.
inline void native_results(lua_State* L, int n) {
  // The commonest calls want no result or one: luaD_poscall's moves without
  // its loops.
  CallInfo* ci = L->ci;
  int wanted = ci->nresults;
  if (static_cast<unsigned>(wanted) <= 1) {
    StkId res = ci->func;
    L->ci = ci->previous;
    if (wanted == 1) {
      if (n > 0) {
        setobj(res, L->top - n);
      } else {
        setnilvalue(res);
      }
      res++;
    }
    L->top = res;
    return;
  }
  luaD_poscall(L, L->top - n);
}

// A native call that grows the stack or the frame records or takes a
// collector step before the function runs.
[[gnu::noinline]] int native_call_slow(lua_State* L, StkId func, lua_CFunction f, int nresults) {
  luaD_nativeframe(L, func, nresults);
  int n = f(L);
  if (L->status == LUA_YIELD) return 1;  // it yielded by returning: its frame stays
  native_results(L, n);
  return 1;
}

}  // namespace

int luaD_nativecall(lua_State* L, StkId func, lua_CFunction f, int nresults) {
  // luaD_nativeframe without its slow steps, which are checked first (the
  // checks change nothing), so that only L is kept across the call.
  CallInfo* ci = L->ci->next;
  if (L->stack_last - L->top <= LUA_MINSTACK || ci == nullptr || luaC_stepdue(L)) {
    return native_call_slow(L, func, f, nresults);
  }
  L->nargs = static_cast<int32_t>(L->top - func) - 1;
  L->ci = ci;
  luaD_setnativeframe(ci, func, L->top, nresults);
  int n = f(L);
  if (L->status == LUA_YIELD) return 1;  // it yielded by returning: its frame stays
  native_results(L, n);
  return 1;
}

namespace {

int call_script(lua_State* L, StkId func, int nresults) {
  ptrdiff_t funcr = savestack(L, func);
  Proto* p = clLvalue(func)->p;
  int n = static_cast<int>(L->top - func) - 1;  // actual arguments
  luaD_checkstack(L, p->maxstacksize);
  for (; n < p->numparams; n++) setnilvalue(L->top++);  // missing parameters
  StkId base;
  if (!p->is_vararg) {
    base = restorestack(L, funcr) + 1;
  } else {
    luaD_checkstack(L, p->maxstacksize);  // the frame starts higher up
    base = adjust_varargs(L, p, n);
  }
  CallInfo* ci = next_ci(L);
  ci->nresults = static_cast<short>(nresults);
  ci->func = restorestack(L, funcr);
  ci->u.l.base = base;
  ci->top = base + p->maxstacksize;
  ci->u.l.savedpc = p->code;
  ci->u.l.k = p->k;
  ci->callstatus = CIST_LUA;
  L->top = ci->top;
  luaC_checkGC(L);
  return 0;
}

}  // namespace

int luaD_precall(lua_State* L, StkId func, int nresults) {
  for (;;) {
    switch (rttype(func)) {
      case LUA_TFCF: return call_fast(L, func, nresults);
      case LUA_TLCF: return luaD_nativecall(L, func, fvalue(func), nresults);
      case ctb(LUA_TCCL): return luaD_nativecall(L, func, clCvalue(func)->f, nresults);
      case ctb(LUA_TLCL): return call_script(L, func, nresults);
      default: func = tryfuncTM(L, func); break;  // try again with the metamethod
    }
  }
}

int luaD_poscall(lua_State* L, StkId firstResult) {
  CallInfo* ci = L->ci;
  StkId res = ci->func;
  int wanted = ci->nresults;
  L->ci = ci->previous;
  int i = wanted;
  for (; i != 0 && firstResult < L->top; i--) setobj(res++, firstResult++);
  while (i-- > 0) setnilvalue(res++);
  L->top = res;
  return wanted - LUA_MULTRET;
}

void luaD_call(lua_State* L, StkId func, int nresults, int allowyield) {
  if (++L->nCcalls >= LUAI_MAXCCALLS) {
    if (L->nCcalls == LUAI_MAXCCALLS) {
      luaG_runerror(L, "C stack overflow");
    } else if (L->nCcalls >= TOVO_MAXCCALLS_ERR) {
      luaD_throw(L, LUA_ERRERR);  // an error while handling the overflow
    }
  }
  if (!allowyield) L->nny++;
  if (!luaD_precall(L, func, nresults)) luaV_execute(L);
  if (!allowyield) L->nny--;
  L->nCcalls--;
}

int luaD_pcall(lua_State* L, Pfunc f, void* u, ptrdiff_t old_top, ptrdiff_t ef) {
  CallInfo* old_ci = L->ci;
  uint8_t old_allowhooks = L->allowhook;
  unsigned short old_nny = L->nny;
  ptrdiff_t old_errfunc = L->errfunc;
  L->errfunc = ef;
  int status = luaD_rawrunprotected(L, f, u);
  if (status != LUA_OK) {
    StkId oldtop = restorestack(L, old_top);
    luaF_close(L, oldtop);
    luaD_seterrorobj(L, status, oldtop);
    L->ci = old_ci;
    L->allowhook = old_allowhooks;
    L->nny = old_nny;
    luaD_shrinkstack(L);
  }
  L->errfunc = old_errfunc;
  return status;
}

void lua_reset_call_state_tovo(lua_State* L) {
  L->status = LUA_OK;
  L->ci = &L->base_ci;
}
