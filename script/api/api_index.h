#pragma once
// From a stack index of the native interface to its slot.
#include "script/api/api.h"
#include "script/vm/state.h"

// The slot of an index, or the shared read-only nil ("none") when there is
// no value there.
TValue* luaA_index2addr(lua_State* L, int idx);
inline bool tovo_isvalid(const TValue* o) { return o != luaO_nilobject(); }
