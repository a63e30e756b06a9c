#pragma once
// The call machinery: preparing and finishing calls of every kind of
// function, calls from native code, protected calls, coroutine resume and
// yield.
#include "script/api/api.h"
#include "script/compiler/zio.h"
#include "script/value/gc.h"
#include "script/vm/stack.h"
#include "script/vm/state.h"
#include "script/vm/unwind.h"

// Depth past which an error while reporting "C stack overflow" becomes an
// error in error handling.
constexpr int TOVO_MAXCCALLS_ERR = LUAI_MAXCCALLS + (LUAI_MAXCCALLS >> 3);

// Prepares a call of the value in func with the arguments above it. Native
// functions (ordinary and fast) run at once: 1. A script function gets its
// frame and becomes the current frame: 0, and the caller runs the loop.
int luaD_precall(lua_State* L, StkId func, int nresults);
// The call of native function f, which is in func: luaD_precall for an
// ordinary native function or a native closure.
int luaD_nativecall(lua_State* L, StkId func, lua_CFunction f, int nresults);
// The fields of a native call's frame record ci: the function at func, its
// room LUA_MINSTACK values above top, no status.
[[gnu::always_inline]] inline void luaD_setnativeframe(CallInfo* ci, StkId func, StkId top, int nresults) {
  ci->nresults = static_cast<short>(nresults);
  ci->func = func;
  ci->top = top + LUA_MINSTACK;
  ci->callstatus = 0;
}
// The frame of a call of a native function, made as luaD_precall makes it
// before the function runs (the collector's check included): the stack may
// have moved, the function is at the new frame's func.
[[gnu::always_inline]] inline CallInfo* luaD_nativeframe(lua_State* L, StkId func, int nresults) {
  L->nargs = static_cast<int32_t>(L->top - func) - 1;
  if (L->stack_last - L->top <= LUA_MINSTACK) {
    ptrdiff_t funcr = savestack(L, func);
    luaD_growstack(L, LUA_MINSTACK);
    func = restorestack(L, funcr);
  }
  CallInfo* ci = next_ci(L);
  luaD_setnativeframe(ci, func, L->top, nresults);
  luaC_checkGC(L);
  return ci;
}
// A call of the resume function of the coroutine library (luaB_coresume)
// with a thread as its first argument, from the instruction loop of thread
// L: makes its frame and checks the coroutine as luaD_precall and the
// function would. Where both are script code the coroutine is readied to run
// in the loop, whose boundary lj then catches its errors (*running names it
// from the point where an error would be its own): returns it, its frame
// current. Otherwise runs the resume as the function would, with fewer steps,
// and returns null with the results in the function's slot and L's top set
// as after any call. Defined beside the coroutine functions.
lua_State* luaD_coresumecall(lua_State* L, StkId func, int nresults, lua_longjmp* lj, lua_State** running);
// Ends the resume of co that the instruction loop ran, once co has yielded
// by returning, returned, or thrown status to the loop's boundary, as the
// general resume would: the resumer's frame is current again with the
// results in place (*running names the resumer from the point where an error
// would be its own). Returns the resumer.
lua_State* luaD_coresumeend(lua_State* co, int status, lua_State** running);
// The checks before a resume of co with narg values from L's top: false,
// with the error message pushed on L (with with_status, a false below it),
// where it cannot run.
bool luaD_resumeready(lua_State* L, lua_State* co, int narg, bool with_status);
// Moves the results of a resume of co that ended with status back to L: their
// count, or -1 with the error message on top of L. With with_status, a true
// (or, before the message, a false) goes below them.
int luaD_resumeresults(lua_State* L, lua_State* co, int status, bool with_status);
// A call of the plain yield function from the instruction loop of the thread
// the innermost resume runs, where it may yield by returning: makes its frame
// and suspends the thread with all the arguments as the yield's values
// (true: the loop returns to the resume). False, with nothing done, where the
// general call must run.
bool luaD_yieldcall(lua_State* L, StkId func, int nresults);
// Moves the results from firstResult up to the top into the finished frame's
// function slot, filling missing wanted results with nil, and pops the frame.
// 0 when the frame wanted all results.
int luaD_poscall(lua_State* L, StkId firstResult);
// Calls the function in func (arguments above it, up to the top) from native
// code; allowyield 0 makes the call not yieldable.
void luaD_call(lua_State* L, StkId func, int nresults, int allowyield);
// Runs f(L, u) protected: on error closes upvalues above oldtop, puts the
// error value there and restores the frame, the counters and the handler.
int luaD_pcall(lua_State* L, Pfunc f, void* u, ptrdiff_t oldtop, ptrdiff_t ef);

// Compiles the stream (a binary chunk when it starts with byte 27) in
// protected mode; mode may refuse binary ("t") or text ("b") chunks. Pushes
// the main closure, or the error message.
int luaD_protectedparser(lua_State* L, Zio* z, const char* name, const char* mode);

// Keeps a frame's top above the results of a call that wanted all of them.
inline void adjustresults(lua_State* L, int nres) {
  if (nres == LUA_MULTRET && L->ci->top < L->top) L->ci->top = L->top;
}
