#pragma once
// Argument access for fast bindings: the call's arguments are the nargs value
// slots below the stack top, first argument lowest; a missing argument, and
// every value that is neither a number nor numeric text, reads as 0.
#include <cstdint>

#include "script/api/api.h"
#include "script/vm/state.h"

inline int32_t kxf_arg(lua_State* L, int i) {
  return i < L->nargs ? lua_tonumber_from_tvalue(L->top - L->nargs + i) : 0;
}
