#pragma once
// Reading and choosing the interpreter thread in use (L0()). Nothing in the
// player calls them.
struct lua_State;

lua_State* get_current_L0();
void set_lua_thread(int which);  // 1 the command thread, 0 the cart state
