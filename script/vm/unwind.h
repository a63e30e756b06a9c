#pragma once
// Error unwinding inside the runtime. An error throws a private exception
// that only the boundaries here catch; nothing leaves the runtime.
#include "script/value/object.h"

typedef void (*Pfunc)(lua_State* L, void* ud);

// One protected-call boundary; boundaries form a chain through the thread.
struct lua_longjmp {
  lua_longjmp* previous;
  volatile int status;
};

// Unwinds to the innermost boundary with an error status. With no boundary the
// panic function runs and the process ends with a failure status.
[[noreturn]] void luaD_throw(lua_State* L, int errcode);
// Runs f(L, ud) behind a boundary and returns the status it ended with.
int luaD_rawrunprotected(lua_State* L, Pfunc f, void* ud);
// Runs f(ud) behind the boundary lj, which no thread's chain holds: the
// instruction loop points the threads it switches to at it. The status
// thrown to lj, or LUA_OK when f returned; errors thrown to other boundaries
// pass through.
int luaD_runbehind(lua_longjmp* lj, void (*f)(void* ud), void* ud);
// Puts the error object for a status at oldtop (memory message, error-in-
// error message, or the value on top) and sets the top just above it.
void luaD_seterrorobj(lua_State* L, int errcode, StkId oldtop);

// Raises a runtime error: the formatted message (no position prefix), the
// line of the running script frame recorded in tovo_runtime_line.
[[noreturn]] void luaG_runerror(lua_State* L, const char* fmt, ...);
// Raises the value on top as a runtime error (through the message handler
// when one is set).
[[noreturn]] void luaG_errormsg(lua_State* L);
