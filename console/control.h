#pragma once
// Helpers shared by the program-control bindings.
#include <cstdint>

struct lua_State;

// The integer part of argument i (a missing or non-numeric argument is 0).
int32_t tovo_arg_int(lua_State* L, int i);
// Argument i as a 16.16 number.
int32_t tovo_arg_num(lua_State* L, int i);
// True when prompt commands act: no cart running, or started with exec.
bool tovo_prompt_allowed();
// Copies at most max characters of text into out (max + 1 bytes).
void tovo_copy_cut(char* out, const char* text, int max);

// The load road of load(): 0 when the cart was loaded, 1 when not.
int32_t kx_load_0(const char* name, const char* breadcrumb);
