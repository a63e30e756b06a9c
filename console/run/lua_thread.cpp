// The interpreter thread in use.
#include "console/run/lua_thread.h"

#include "console/run/run_record.h"
#include "console/run/run_state.h"

lua_State* get_current_L0() { return L0(); }
void set_lua_thread(int which) { L0() = which == 1 ? L0_command() : L0_cart(); }
