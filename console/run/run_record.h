#pragma once
// The run record: everything the run loop keeps, in one place, zeroed at
// start. console/run owns it; every module reaches its parts through the
// calls below (the run chain through the calls of run_chain.h).
#include <cstdint>

#include "console/machine/cart.h"
#include "console/run/run_chain.h"
#include "console/run/run_state.h"

struct lua_State;

struct tovo_run {
  tovo_run_state run_state;
  lua_State* L0_cart;     // the cart's interpreter state
  lua_State* L0_command;  // a second thread of it, for prompt lines
  lua_State* L0;          // the thread in use
  // The code tabs: the text of each tab (NUL-terminated) and the selected tab.
  char code_tab[TOVO_CODE_TABS][TOVO_CODE_SIZE];
  int32_t code_tab_selected;
  run_chain_entry run_chain[TOVO_RUN_CHAIN_SIZE];
  int32_t run_chain_count;  // 0 to 511
  // The one-time "devkit keyboard enabled" notice is shown again after a
  // reset.
  int32_t devkit_notice_shown;
};

// The record itself, for the files of console/run and the calls below.
inline tovo_run& tovo_run_record() {
  static tovo_run run;
  return run;
}

inline tovo_run_state& run_state() { return tovo_run_record().run_state; }
inline lua_State*& L0_cart() { return tovo_run_record().L0_cart; }
inline lua_State*& L0_command() { return tovo_run_record().L0_command; }
inline lua_State*& L0() { return tovo_run_record().L0; }
// The text of code tab i (TOVO_CODE_SIZE bytes).
inline char* code_tab(int32_t i) { return tovo_run_record().code_tab[i]; }
inline int32_t& code_tab_selected() { return tovo_run_record().code_tab_selected; }
