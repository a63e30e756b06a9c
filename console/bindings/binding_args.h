#pragma once
// Reading a binding's arguments by stack index: numbers as 16.16 (0 when
// missing or not numeric), integer parts by an arithmetic shift.
#include <cstdint>

#include "script/api/api.h"

inline int32_t tovo_arg_num(lua_State* L, int i) { return lua_tonumberx(L, i, nullptr); }
inline int32_t tovo_arg_int(lua_State* L, int i) { return lua_tonumberx(L, i, nullptr) >> 16; }
