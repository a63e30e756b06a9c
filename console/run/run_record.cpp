// The run record and the functions that reach its parts.
#include "console/run/run_record.h"

namespace {
tovo_run run;
}  // namespace

tovo_run& tovo_run_record() { return run; }

tovo_run_state& run_state() { return run.run_state; }
lua_State*& L0_cart() { return run.L0_cart; }
lua_State*& L0_command() { return run.L0_command; }
lua_State*& L0() { return run.L0; }
char* code_tab(int32_t i) { return run.code_tab[i]; }
int32_t& code_tab_selected() { return run.code_tab_selected; }
