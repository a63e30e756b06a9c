#pragma once
// The run record: everything the run loop keeps, in one place. console/run
// owns it; the other modules reach its parts through their functions
// (run_state(), L0(), code_tab(), run_chain_count(), ...), declared beside
// the types of the parts.
#include <cstdint>

#include "console/machine/cart.h"
#include "console/run/run_chain.h"
#include "console/run/run_state.h"

struct tovo_run {
  tovo_run_state run_state;
  lua_State* L0_cart;     // the cart's interpreter state
  lua_State* L0_command;  // a second thread of it, for prompt lines
  lua_State* L0;          // the thread in use
  char code_tab[TOVO_CODE_TABS][TOVO_CODE_SIZE];
  int32_t code_tab_selected;
  run_chain_entry run_chain[TOVO_RUN_CHAIN_SIZE];
  int32_t run_chain_count;  // 0 to 511
  // The one-time "devkit keyboard enabled" notice is shown again after a
  // reset.
  int32_t devkit_notice_shown;
};

// The record itself, for the files of console/run and the functions that
// reach its parts.
tovo_run& tovo_run_record();
