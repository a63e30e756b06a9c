#pragma once
// The call machinery: preparing and finishing calls of every kind of
// function, calls from native code, protected calls, coroutine resume and
// yield.
#include "script/api/api.h"
#include "script/compiler/zio.h"
#include "script/vm/state.h"
#include "script/vm/unwind.h"

// Depth past which an error while reporting "C stack overflow" becomes an
// error in error handling.
constexpr int TOVO_MAXCCALLS_ERR = LUAI_MAXCCALLS + (LUAI_MAXCCALLS >> 3);

// Prepares a call of the value in func with the arguments above it. Native
// functions (ordinary and fast) run at once: 1. A script function gets its
// frame and becomes the current frame: 0, and the caller runs the loop.
int luaD_precall(lua_State* L, StkId func, int nresults);
// The frame of a call of a native function, made as luaD_precall makes it
// before the function runs (the collector's check included): the stack may
// have moved, the function is at the new frame's func.
CallInfo* luaD_nativeframe(lua_State* L, StkId func, int nresults);
// A call of the resume function of the coroutine library (luaB_coresume)
// with a thread as its first argument, from the instruction loop: runs it as
// luaD_precall would (its frame, the resume, the results moved to the
// function's slot) with fewer steps. Defined beside the coroutine functions.
void luaD_coresumecall(lua_State* L, StkId func, int nresults);
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
