#pragma once
// The console's machine as tests and benchmarks set it up: the machine's
// cart, four screens and one working cart. Header-only, without a test
// framework, so that any program that links the console library can use it.
#include <cstdio>
#include <string>

#include "console/draw/gfx_state.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/code_tabs.h"
#include "console/run/run_record.h"
#include "engine/data/gfx.h"
#include "script/api/api.h"
#include "script/vm/cpu.h"

namespace tovo_test {

inline void create_cart_machine() {
  pstate().cart = tarq_create_tovo_cart();
  for (auto& screen : pstate().screens) screen = tarq_create_bitmap(128, 128, 8);
  pitem(0) = tarq_create_tovo_cart();
  pitems() = 1;
  pstate().reset_counter = 0;
  // The console's print cursor at the top, as on a fresh machine: lines that
  // an earlier test printed would make this one's messages scroll the
  // screen, which costs cycles.
  pstate().cursor_x = pstate().cursor_y = 0;
  pstate().camera_x = pstate().camera_y = 0;
  set_draw_display(0);
}

// Closes the cart's state, frees what create_cart_machine made and empties
// the code tabs.
inline void destroy_cart_machine() {
  if (L0_cart()) lua_close(L0_cart());
  L0_cart() = L0_command() = L0() = nullptr;
  tarq_destroy_tovo_cart(pitem(0));
  pitem(0) = nullptr;
  tarq_destroy_tovo_cart(pstate().cart);
  pstate().cart = nullptr;
  pstate().draw_target = nullptr;
  for (auto& screen : pstate().screens) screen = tarq_destroy_bitmap(screen);
  clear_code_tabs();
  code_tab_selected() = 0;
}

// The working cart's code, split into its tabs as loading does.
inline void set_cart_code(const std::string& code) {
  std::snprintf(pitem(0)->code, TOVO_CODE_SIZE, "%s", code.c_str());
  split_code_to_tabs(pitem(0));
}

}  // namespace tovo_test
