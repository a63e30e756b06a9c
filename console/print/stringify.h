#pragma once
// Script values as text that reads back as script source. Nothing in the
// player writes values this way.
#include <cstdint>

struct lua_State;

// The text with a backslash before every double quote, in one buffer that
// the next call reuses; "" when memory runs out.
const char* escape_string(const char* text);

// Writes the value at index as text into out (size bytes, NUL included):
// strings in double quotes (escaped as above), true, false, numbers as their
// text without a trailing ".0", and tables down to depth levels as
// "{" + elements joined by "," + "}": a value whose key is the next array
// index (from 1) alone, another number key as "[key]=value", any other key
// as key=value (a string key as its text). nil, a table below the depth
// limit and every other type are written as nil. The length written, or -1
// when the text does not fit (out is then empty: never cut short).
int32_t stringify_object(lua_State* L, int index, char* out, int32_t size, int32_t depth);
