#pragma once
// Checks of loaded code before it may run. The instruction loop trusts its
// operands (register numbers, constant and upvalue indices, jump offsets,
// the instruction that follows a test), as the code generator keeps to them;
// a binary chunk comes from outside, so its functions are checked once, at
// load, against the same rules.
#include "script/value/object.h"
#include "script/value/string_buffer.h"

// True when the code of p and of every prototype nested in it keeps to the
// rules the instruction loop relies on. scratch is working room (its
// contents are lost); a memory error may be raised.
bool luaU_verify(lua_State* L, Mbuffer* scratch, const Proto* p);
