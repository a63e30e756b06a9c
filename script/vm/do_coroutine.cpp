// Coroutines: resume, yield, and finishing the frames of a resumed thread
// (script frames through the interrupted opcode, native frames through their
// continuations); errors inside a resumed thread are delivered to the
// innermost yieldable protected call.
#include "script/api/api.h"
#include "script/value/string.h"
#include "script/vm/do.h"
#include "script/vm/do_coswitch.h"
#include "script/vm/func.h"
#include "script/vm/opcodes.h"
#include "script/vm/stack.h"
#include "script/vm/vm.h"

namespace {

// The innermost running resume (do_coswitch.h).
ResumeLevel level = {nullptr, 0};

// Finishes a native frame interrupted by a yield or an error: completes its
// lua_callk or lua_pcallk and runs its continuation.
void finishCcall(lua_State* L) {
  CallInfo* ci = L->ci;
  if (ci->callstatus & CIST_YPCALL) {  // a lua_pcallk: finish it
    ci->callstatus &= static_cast<uint16_t>(~CIST_YPCALL);
    L->errfunc = ci->u.c.old_errfunc;
  }
  adjustresults(L, ci->nresults);
  if (!(ci->callstatus & CIST_STAT)) ci->u.c.status = LUA_YIELD;  // no error status: a yield
  ci->callstatus = static_cast<uint16_t>((ci->callstatus & ~CIST_STAT) | CIST_YIELDED);
  int n = ci->u.c.k(L);
  if (L->status == LUA_YIELD) return;  // it yielded again, by returning: its frame stays
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
      if (L->status == LUA_YIELD) return;  // it yielded again, by returning: its frame stays
      firstArg = L->top - n;
    }
    luaD_poscall(L, firstArg);  // the resume's arguments are the yield's results
  }
  unroll(L, nullptr);
}

// After the resume's boundary caught a yield or an error of L, which left
// L's native-call depth at the resume's level: no frame counts in it.
void uncount_frames(lua_State* L) {
  for (CallInfo* ci = L->ci; ci != &L->base_ci; ci = ci->previous) {
    ci->callstatus &= static_cast<uint16_t>(~CIST_COUNTED);
  }
}

// Ends a resume of L whose run ended with an error status: the error goes to
// the innermost yieldable protected call, whose frame and those below it run
// on (until the thread yields, returns, or fails with no such call left,
// which leaves it dead). The resume's status.
int resume_recover(lua_State* L, int status) {
  for (;;) {
    if (status != LUA_OK) uncount_frames(L);
    if (status == LUA_OK && L->status == LUA_YIELD) status = LUA_YIELD;  // yielded by returning
    if (status == LUA_OK || status == LUA_YIELD) return status;
    if (recover(L, status)) {
      status = luaD_rawrunprotected(L, unroll, nullptr);
    } else {  // no protected call: the thread is dead
      L->status = static_cast<uint8_t>(status);
      luaD_seterrorobj(L, status, L->top);
      L->ci->top = L->top;
      return status;
    }
  }
}

// lua_checkstack(L, n), without the call when the stack and the frame have
// the room already.
inline bool room(lua_State* L, int n) {
  return (L->stack_last - L->top > n && L->ci->top >= L->top + n) || lua_checkstack(L, n);
}

// As luaD_resumeready.
inline bool resume_ready(lua_State* L, lua_State* co, int narg, bool with_status) {
  const char* msg;
  if (!room(co, narg)) {
    msg = "corolib: too many arguments to resume";
  } else if (co->status == LUA_OK && co->top == co->ci->func + 1) {
    msg = "corolib: cannot resume dead coroutine";
  } else {
    return true;
  }
  if (with_status) lua_pushboolean(L, 0);
  lua_pushstring(L, msg);
  return false;
}

// n values from from's top to to's (two different threads).
inline void move_values(lua_State* from, lua_State* to, int n) {
  from->top -= n;
  for (int i = 0; i < n; i++) setobj(to->top++, from->top + i);
}

// As luaD_resumeresults.
inline int resume_results(lua_State* L, lua_State* co, int status, bool with_status) {
  if (status == LUA_OK || status == LUA_YIELD) {
    int nres = static_cast<int>(co->top - (co->ci->func + 1));
    if (!room(L, nres + 1)) {
      co->top -= nres;
      if (with_status) lua_pushboolean(L, 0);
      lua_pushstring(L, "corolib: too many results to resume");
      return -1;
    }
    if (with_status) setbvalue(L->top++, 1);
    if (co != L) move_values(co, L, nres);
    return nres;
  }
  lua_xmove(co, L, 1);  // the error value (already on top when co is L)
  if (with_status) {
    lua_pushboolean(L, 0);
    lua_insert(L, -2);
  }
  return -1;
}

// The return of the resume function called from the instruction loop, whose
// resume gave r: its results to the function's slot, L's top as after a call.
inline void coresume_return(lua_State* L, int r) {
  CallInfo* ci = L->ci;
  StkId res = ci->func;
  int wanted = ci->nresults;
  StkId first = L->top - (r < 0 ? 2 : r + 1);
  L->ci = ci->previous;
  int n = wanted;
  for (; n != 0 && first < L->top; n--) setobj(res++, first++);
  while (n-- > 0) setnilvalue(res++);
  L->top = wanted >= 0 ? L->ci->top : res;
}

// Whether the resume of L by from's script frame can run in from's
// instruction loop: L is a script function (fn, below the resume's values)
// to start, or a native function without continuation yielded over script
// frames only, and the resume would not overflow the native-call depth.
inline bool resumable_in_loop(lua_State* L, lua_State* from, const TValue* fn) {
  if (from->nCcalls + 1 >= LUAI_MAXCCALLS) return false;  // the general resume raises the error
  CallInfo* ci = L->ci;
  if (L->status == LUA_OK) return ci == &L->base_ci && ttisLclosure(fn);
  if (L->status != LUA_YIELD || isLua(ci) || ci->u.c.k != nullptr || ci->previous == &L->base_ci) return false;
  for (CallInfo* below = ci->previous; below != &L->base_ci; below = below->previous) {
    if (!isLua(below)) return false;
  }
  return true;
}

// The return of the resume function called from the instruction loop, when
// the resume of co (another thread) ended well with its values from first
// up to co's top: true and those values go straight to the function's slot
// of L, as many as its frame wants; L's top as after a call. False, with
// nothing done, where L has no room for them (the general return raises the
// error).
inline bool coresume_return_values(lua_State* L, lua_State* co, StkId first) {
  int nres = static_cast<int>(co->top - first);
  if (!room(L, nres + 1)) return false;
  StkId last = co->top;
  co->top = first;
  CallInfo* ci = L->ci;
  StkId res = ci->func;
  int wanted = ci->nresults;
  L->ci = ci->previous;
  int n = wanted;
  if (n != 0) {
    setbvalue(res++, 1);
    n--;
  }
  for (; n != 0 && first < last; n--) setobj(res++, first++);
  while (n-- > 0) setnilvalue(res++);
  L->top = wanted >= 0 ? L->ci->top : res;
  return true;
}

}  // namespace

ResumeLevel* luaD_resumelevel() { return &level; }

int lua_resume(lua_State* L, lua_State* from, int nargs) {
  LoopResume saved;
  luaD_resumeenter(&level, L, from, &saved);
  int status = luaD_rawrunprotected(L, resume, L->top - nargs);
  status = status == -1 ? LUA_ERRRUN : resume_recover(L, status);  // -1: an error of the resume call itself
  luaD_resumeleave(&level, L, &saved);
  return status;
}

bool luaD_resumeready(lua_State* L, lua_State* co, int narg, bool with_status) {
  return resume_ready(L, co, narg, with_status);
}

int luaD_resumeresults(lua_State* L, lua_State* co, int status, bool with_status) {
  return resume_results(L, co, status, with_status);
}

lua_State* luaD_coresumecall(lua_State* L, StkId func, int nresults, lua_longjmp* lj, lua_State** running) {
  CallInfo* ci = luaD_nativeframe(L, func, nresults);
  lua_State* co = thvalue(ci->func + 1);
  int narg = static_cast<int>(L->top - ci->func) - 2;
  if (!resume_ready(L, co, narg, true)) {
    coresume_return(L, -1);
    return nullptr;
  }
  if (co == L || !resumable_in_loop(co, L, co->top - 1)) {
    if (co != L) move_values(L, co, narg);
    coresume_return(L, resume_results(L, co, lua_resume(co, L, narg), true));
    return nullptr;
  }
  LoopResume* r = &co->loop_resume;
  luaD_resumeenter(&level, co, L, r);
  r->resumer = L;
  r->errorJmp = co->errorJmp;
  co->errorJmp = lj;
  *running = co;  // from here on an error is the coroutine's
  if (co->status == LUA_OK) {
    move_values(L, co, narg);
    luaD_precall(co, co->top - narg - 1, LUA_MULTRET);
    return co;
  }
  // The resume's values go straight from L to the yield's results; then the
  // instruction that called the native function is finished.
  StkId arg = L->top - narg;
  L->top = arg;
  co->status = LUA_OK;
  ci = co->ci;
  StkId res = ci->func = restorestack(co, ci->extra);
  int n = ci->nresults;
  ci = co->ci = ci->previous;
  for (; n != 0 && narg > 0; n--, narg--) setobj(res++, arg++);
  while (n-- > 0) setnilvalue(res++);
  co->top = res;
  Instruction inst = luaP_original(*(ci->u.l.savedpc - 1));
  if (GET_OPCODE(inst) != OP_CALL) {
    luaV_finishOp(co);
  } else if (GETARG_C(inst) - 1 >= 0) {
    co->top = ci->top;  // fixed results
  }
  return co;
}

lua_State* luaD_coresumeend(lua_State* co, int status, lua_State** running) {
  LoopResume* r = &co->loop_resume;
  lua_State* L = r->resumer;
  co->errorJmp = r->errorJmp;
  co->nCcalls = static_cast<unsigned short>(L->nCcalls + 1);  // as the resume's boundary leaves it
  r->resumer = nullptr;
  if (status != LUA_OK) {
    status = resume_recover(co, status);
  } else if (co->status == LUA_YIELD) {
    status = LUA_YIELD;
  }
  luaD_resumeleave(&level, co, r);
  *running = L;
  if ((status != LUA_OK && status != LUA_YIELD) || !coresume_return_values(L, co, co->ci->func + 1)) {
    coresume_return(L, resume_results(L, co, status, true));
  }
  return L;
}

bool luaD_yieldcall(lua_State* L, StkId func, int nresults) {
  if (L != level.thread || L->nCcalls != level.ccalls || L->nny > 0) return false;
  CallInfo* ci = luaD_nativeframe(L, func, nresults);  // a finalizer it runs leaves the resume as it was
  L->status = LUA_YIELD;
  ci->extra = savestack(L, ci->func);
  ci->u.c.k = nullptr;  // the frame's values are all the arguments
  // Under a resume the loop runs only script frames lie below (a native
  // frame in between would have raised the depth); under the general
  // resume a protected call's frame may, which only that resume finishes.
  L->loop_resume.quick_yield = L->loop_resume.resumer != nullptr;
  return true;
}

int lua_yieldk(lua_State* L, int nresults, int ctx, lua_CFunction k) {
  CallInfo* ci = L->ci;
  if (L->nny > 0) {
    if (L != G(L)->mainthread) luaG_runerror(L, "attempt to yield across a C-call boundary");
    luaG_runerror(L, "attempt to yield from outside a coroutine");
  }
  L->status = LUA_YIELD;
  L->loop_resume.quick_yield = false;
  ci->extra = savestack(L, ci->func);
  if (isLua(ci)) return 0;  // a budget suspension: the loop throws
  ci->u.c.k = k;
  if (k != nullptr) ci->u.c.ctx = ctx;
  // The results are kept as the frame's only values.
  ci->func = L->top - nresults - 1;
  if (L == level.thread && L->nCcalls == level.ccalls) return nresults;  // the loop returns
  luaD_throw(L, LUA_YIELD);
}
