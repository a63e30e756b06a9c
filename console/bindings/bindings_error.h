#pragma once
// Raises a script runtime error with a fixed message in the running cart, at
// the line of the cart's code that called the binding.
// While the reset sequence plays the error is ignored: the binding then
// returns no results.
struct lua_State;

int tovo_binding_error(lua_State* L, const char* message);
