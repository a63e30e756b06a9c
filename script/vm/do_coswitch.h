#pragma once
// The quick switch between a coroutine and the script frame that resumed it,
// both run by one instruction loop: a resume of a coroutine whose last yield
// was the yield function called from its loop, and such a yield back to the
// resumer. Each makes the same frames, counts and boundaries and moves the
// same values as the general resume and yield (do_coroutine.cpp), where
// nothing it makes needs an allocation, a collector step or a room check
// that could fail; else it does nothing and the general form runs. Inline,
// so that the loop switches without a call.
#include <cassert>

#include "script/vm/do.h"

// The innermost running resume: its thread and that thread's native-call
// depth. A native function that the thread's instruction loop calls at that
// depth (no native call in between) yields by returning through the loop
// instead of unwinding, which is far cheaper. The resumes of every state of
// the process nest, so one record, kept by the coroutine functions, serves
// them all.
struct ResumeLevel {
  lua_State* thread;
  unsigned short ccalls;
};
ResumeLevel* luaD_resumelevel();

// What a resume of L by from (null: by the host) sets up: yields allowed,
// a native-call depth one above from's, L the thread of the innermost resume.
// saved keeps what luaD_resumeleave gives back.
inline void luaD_resumeenter(ResumeLevel* level, lua_State* L, lua_State* from, LoopResume* saved) {
  saved->nny = L->nny;
  L->nCcalls = static_cast<unsigned short>(from != nullptr ? from->nCcalls + 1 : 1);
  L->nny = 0;  // yields allowed
  saved->outer_thread = level->thread;
  saved->outer_ccalls = level->ccalls;
  level->thread = L;
  level->ccalls = L->nCcalls;
}

// Gives back what luaD_resumeenter changed, once the resume of L has ended.
inline void luaD_resumeleave(ResumeLevel* level, lua_State* L, const LoopResume* saved) {
  level->thread = saved->outer_thread;
  level->ccalls = saved->outer_ccalls;
  L->nny = saved->nny;
  L->nCcalls--;
}

// The n values from src to wanted slots from dst, nil where they run out.
[[gnu::always_inline]] inline void luaD_putvalues(StkId dst, const TValue* src, int n, int wanted) {
  if (n == 1 && wanted == 1) {  // the usual one value
    setobj(dst, src);
    return;
  }
  if (n > wanted) n = wanted;
  for (int j = 0; j < n; j++) setobj(dst + j, src + j);
  for (int j = n; j < wanted; j++) setnilvalue(dst + j);
}

// A call of the resume function (func) with a thread as its first argument
// from L's instruction loop, whose boundary is lj: the coroutine, its frame
// current and its resume begun as luaD_coresumecall begins it; or null.
[[gnu::always_inline]] inline lua_State* luaD_coresumequick(ResumeLevel* level, lua_State* L, StkId func, int nresults,
                                                            lua_longjmp* lj) {
  lua_State* co = thvalue(func + 1);
  int narg = static_cast<int>(L->top - func) - 2;
  LoopResume* r = &co->loop_resume;
  // What luaD_coresumecall would check, and that nothing it makes
  // allocates or runs a collector step. The yield left the coroutine room
  // for LUA_MINSTACK values in its stack and in the yield's frame (the
  // yield's frame was made so, and nothing takes that room away while the
  // thread is suspended): fewer values need no check.
  if (co->status != LUA_YIELD || !r->quick_yield || L->nCcalls + 1 >= LUAI_MAXCCALLS || luaC_stepdue(L) ||
      L->stack_last - L->top <= LUA_MINSTACK || L->ci->next == nullptr || narg >= LUA_MINSTACK) {
    return nullptr;
  }
  assert(co->stack_last - co->top > narg && co->ci->top >= co->top + narg);
  L->nargs = narg + 1;
  CallInfo* ci = L->ci = L->ci->next;  // the resume function's frame
  luaD_setnativeframe(ci, func, L->top, nresults);
  luaD_resumeenter(level, co, L, r);
  r->resumer = L;
  r->errorJmp = co->errorJmp;
  co->errorJmp = lj;
  // The values become the yield's results and its caller goes on.
  StkId arg = L->top = func + 2;
  co->status = LUA_OK;
  CallInfo* yci = co->ci;
  StkId res = yci->func;  // the yield's slot, as its extra says (a moved stack moves both)
  assert(res == restorestack(co, yci->extra));
  int wanted = yci->nresults;
  ci = co->ci = yci->previous;
  if (wanted == 0) {  // a yield for its effect only (a generator's, say)
    co->top = ci->top;
  } else if (wanted > 0) {
    luaD_putvalues(res, arg, narg, wanted);
    co->top = ci->top;
  } else {
    luaD_putvalues(res, arg, narg, narg);
    co->top = res + narg;
  }
  return co;
}

// A call of the yield function (func) from the instruction loop of co, which
// that loop resumed: the resumer, its frame current with the resume's
// results in place and co suspended, as luaD_yieldcall and
// luaD_coresumeend leave them; or null.
[[gnu::always_inline]] inline lua_State* luaD_yieldquick(ResumeLevel* level, lua_State* co, StkId func, int nresults) {
  LoopResume* r = &co->loop_resume;
  lua_State* L = r->resumer;
  int nres = static_cast<int>(co->top - func) - 1;
  // What luaD_yieldcall and luaD_coresumeend would check, and that nothing
  // they make allocates or runs a collector step. The resume left its
  // frame room for LUA_MINSTACK values above the resumer's top (the
  // resumer does not run meanwhile): fewer results need no check.
  if (L == nullptr || co != level->thread || co->nCcalls != level->ccalls || co->nny > 0 || luaC_stepdue(co) ||
      co->stack_last - co->top <= LUA_MINSTACK || co->ci->next == nullptr || nres + 1 >= LUA_MINSTACK) {
    return nullptr;
  }
  assert(L->stack_last - L->top > nres + 1 && L->ci->top >= L->top + nres + 1);
  co->nargs = nres;
  CallInfo* ci = co->ci = co->ci->next;  // the yield function's frame, kept while suspended
  luaD_setnativeframe(ci, func, co->top, nresults);
  co->status = LUA_YIELD;
  ci->extra = savestack(co, func);
  ci->u.c.k = nullptr;
  r->quick_yield = true;
  co->errorJmp = r->errorJmp;
  r->resumer = nullptr;
  luaD_resumeleave(level, co, r);
  // The values go to the resume function's slot after a true.
  StkId first = func + 1;
  co->top = first;
  ci = L->ci;
  StkId res = ci->func;
  int wanted = ci->nresults;
  ci = L->ci = ci->previous;
  if (wanted > 0) {
    setbvalue(res, 1);
    luaD_putvalues(res + 1, first, nres, wanted - 1);
    L->top = ci->top;
  } else if (wanted == 0) {
    L->top = ci->top;
  } else {
    setbvalue(res, 1);
    luaD_putvalues(res + 1, first, nres, nres);
    L->top = res + 1 + nres;
  }
  return L;
}
