#pragma once
// Debug support inside the runtime: the current instruction and line of a
// frame, and the runtime errors that describe an operand by its variable.
#include "script/vm/state.h"

// The function slot of a frame. While a thread is suspended its current
// frame's slot marks the values it yielded, and the function is kept aside.
StkId luaG_frame_func(lua_State* L, const CallInfo* ci);
// Index of the instruction a script frame is running (or, while the frame
// is suspended by the budget, the one it will run first).
int luaG_currentpc(lua_State* L, const CallInfo* ci);
// Source line of that instruction: 0 without line information, -1 for a
// native frame.
int luaG_currentline(lua_State* L, const CallInfo* ci);

// "attempt to <op> <kind> '<name>' (a <type> value)", or without the
// description when the operand has none.
[[noreturn]] void luaG_typeerror(lua_State* L, const TValue* o, const char* op);
[[noreturn]] void luaG_concaterror(lua_State* L, const TValue* p1, const TValue* p2);
[[noreturn]] void luaG_aritherror(lua_State* L, const TValue* p1, const TValue* p2);
[[noreturn]] void luaG_ordererror(lua_State* L, const TValue* p1, const TValue* p2);

// The kind ("local", "global", "field", "upvalue", "constant", "method") and
// name of the value register reg holds at instruction lastpc, or null.
const char* luaG_getobjname(const Proto* p, int lastpc, int reg, const char** name);
