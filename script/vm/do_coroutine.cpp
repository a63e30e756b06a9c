// Coroutines: resume, yield, and finishing the frames of a resumed thread
// (script frames through the interrupted opcode, native frames through their
// continuations); errors inside a resumed thread are delivered to the
// innermost yieldable protected call.
#include "script/api/api.h"
#include "script/value/string.h"
#include "script/vm/do.h"
#include "script/vm/func.h"
#include "script/vm/stack.h"
#include "script/vm/vm.h"

namespace {

// The thread of the innermost running resume and its native-call depth. A
// native function that the thread's instruction loop calls at that depth (no
// native call in between) yields by returning through the loop instead of
// unwinding, which is far cheaper.
lua_State* resume_thread = nullptr;
unsigned short resume_ccalls = 0;

// Finishes a native frame interrupted by a yield or an error: completes its
// lua_callk or lua_pcallk and runs its continuation.
void finishCcall(lua_State* L) {
  CallInfo* ci = L->ci;
  if (ci->callstatus & CIST_YPCALL) {  // a lua_pcallk: finish it
    ci->callstatus &= static_cast<uint8_t>(~CIST_YPCALL);
    L->errfunc = ci->u.c.old_errfunc;
  }
  adjustresults(L, ci->nresults);
  if (!(ci->callstatus & CIST_STAT)) ci->u.c.status = LUA_YIELD;  // no error status: a yield
  ci->callstatus = static_cast<uint8_t>((ci->callstatus & ~CIST_STAT) | CIST_YIELDED);
  int n = ci->u.c.k(L);
  luaD_poscall(L, L->top - n);
}

// Runs the frames of a resumed thread down to its base frame.
void unroll(lua_State* L, void*) {
  for (;;) {
    if (L->ci == &L->base_ci || L->status == LUA_YIELD) return;
    if (!isLua(L->ci)) {
      finishCcall(L);
    } else {
      luaV_finishOp(L);
      luaV_execute(L);
    }
  }
}

CallInfo* findpcall(lua_State* L) {
  for (CallInfo* ci = L->ci; ci != nullptr; ci = ci->previous) {
    if (ci->callstatus & CIST_YPCALL) return ci;
  }
  return nullptr;
}

// Delivers an error to the innermost yieldable protected call: 1, or 0 when
// there is none.
int recover(lua_State* L, int status) {
  CallInfo* ci = findpcall(L);
  if (ci == nullptr) return 0;
  StkId oldtop = restorestack(L, ci->extra);
  luaF_close(L, oldtop);
  luaD_seterrorobj(L, status, oldtop);
  L->ci = ci;
  L->allowhook = ci->u.c.old_allowhook;
  L->nny = 0;  // the protected call was yieldable
  luaD_shrinkstack(L);
  L->errfunc = ci->u.c.old_errfunc;
  ci->callstatus |= CIST_STAT;
  ci->u.c.status = static_cast<uint8_t>(status);
  return 1;
}

// An error of the resume itself: the thread keeps its state.
[[noreturn]] void resume_error(lua_State* L, const char* msg, StkId firstArg) {
  L->top = firstArg;
  setsvalue(L->top, luaS_new(L, msg));
  incr_top(L);
  luaD_throw(L, -1);
}

void resume(lua_State* L, void* ud) {
  StkId firstArg = static_cast<StkId>(ud);
  CallInfo* ci = L->ci;
  if (L->nCcalls >= LUAI_MAXCCALLS) resume_error(L, "C stack overflow", firstArg);
  if (L->status == LUA_OK) {  // starting a coroutine
    if (ci != &L->base_ci) resume_error(L, "cannot resume non-suspended coroutine", firstArg);
    if (!luaD_precall(L, firstArg - 1, LUA_MULTRET)) luaV_execute(L);
    return;
  }
  if (L->status != LUA_YIELD) resume_error(L, "cannot resume dead coroutine", firstArg);
  L->status = LUA_OK;
  ci->func = restorestack(L, ci->extra);
  if (isLua(ci)) {      // suspended by the budget: go on at the interrupted instruction
    L->top = firstArg;  // a script frame takes no values from the resume
    luaV_execute(L);
  } else {  // a native function that yielded
    if (ci->u.c.k != nullptr) {
      ci->u.c.status = LUA_YIELD;
      ci->callstatus |= CIST_YIELDED;
      int n = ci->u.c.k(L);
      firstArg = L->top - n;
    }
    luaD_poscall(L, firstArg);  // the resume's arguments are the yield's results
  }
  unroll(L, nullptr);
}

}  // namespace

int lua_resume(lua_State* L, lua_State* from, int nargs) {
  unsigned short oldnny = L->nny;
  L->nCcalls = static_cast<unsigned short>(from != nullptr ? from->nCcalls + 1 : 1);
  L->nny = 0;  // yields allowed
  lua_State* old_thread = resume_thread;
  unsigned short old_ccalls = resume_ccalls;
  resume_thread = L;
  resume_ccalls = L->nCcalls;
  int status = luaD_rawrunprotected(L, resume, L->top - nargs);
  if (status == -1) {  // an error of the resume call itself
    status = LUA_ERRRUN;
  } else {
    for (;;) {
      if (status == LUA_OK && L->status == LUA_YIELD) status = LUA_YIELD;  // yielded by returning
      if (status == LUA_OK || status == LUA_YIELD) break;
      if (recover(L, status)) {
        status = luaD_rawrunprotected(L, unroll, nullptr);
      } else {  // no protected call: the thread is dead
        L->status = static_cast<uint8_t>(status);
        luaD_seterrorobj(L, status, L->top);
        L->ci->top = L->top;
        break;
      }
    }
  }
  resume_thread = old_thread;
  resume_ccalls = old_ccalls;
  L->nny = oldnny;
  L->nCcalls--;
  return status;
}

bool luaD_yieldcall(lua_State* L, StkId func, int nresults) {
  if (L != resume_thread || L->nCcalls != resume_ccalls || L->nny > 0) return false;
  CallInfo* ci = luaD_nativeframe(L, func, nresults);  // a finalizer it runs leaves the resume as it was
  L->status = LUA_YIELD;
  ci->extra = savestack(L, ci->func);
  ci->u.c.k = nullptr;  // the frame's values are all the arguments
  return true;
}

int lua_yieldk(lua_State* L, int nresults, int ctx, lua_CFunction k) {
  CallInfo* ci = L->ci;
  if (L->nny > 0) {
    if (L != G(L)->mainthread) luaG_runerror(L, "attempt to yield across a C-call boundary");
    luaG_runerror(L, "attempt to yield from outside a coroutine");
  }
  L->status = LUA_YIELD;
  ci->extra = savestack(L, ci->func);
  if (isLua(ci)) return 0;  // a budget suspension: the loop throws
  ci->u.c.k = k;
  if (k != nullptr) ci->u.c.ctx = ctx;
  ci->func = L->top - nresults - 1;  // keeps the results as the frame's only values
  if (L == resume_thread && L->nCcalls == resume_ccalls) return nresults;  // the loop returns
  luaD_throw(L, LUA_YIELD);
}
