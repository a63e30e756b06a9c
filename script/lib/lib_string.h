#pragma once
// The string library's functions, shared between its files and its opener.
#include "script/api/api.h"

int str_find(lua_State* L);
int str_match(lua_State* L);
int str_gmatch(lua_State* L);
int str_gsub(lua_State* L);
int str_format(lua_State* L);

// A position argument counted from the end when negative (-1 is the last
// byte); 0 when it lies before the start.
inline size_t str_position(int pos, size_t len) {
  if (pos >= 0) return static_cast<size_t>(pos);
  if (static_cast<size_t>(-static_cast<long>(pos)) > len) return 0;
  return len - static_cast<size_t>(-static_cast<long>(pos)) + 1;
}
