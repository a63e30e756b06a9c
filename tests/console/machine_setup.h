#pragma once
// A machine as the shell sets it up, for test fixtures: a zeroed pstate() with
// four screens, the machine's cart, a working cart and the registers after
// their reset; and its tear-down, which leaves pstate() zeroed again.
#include <cstring>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/machine/registers.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/gfx.h"

inline void set_up_machine(tovo_cart*& cart, tovo_cart*& working) {
  std::memset(&pstate(), 0, sizeof pstate());
  std::memset(&run_state(), 0, sizeof run_state());
  for (tarq_bitmap*& screen : pstate().screens) screen = tarq_create_bitmap(128, 128, 8);
  cart = pstate().cart = tarq_create_tovo_cart();
  working = pitem(0) = tarq_create_tovo_cart();
  pitems() = 1;
  tovo_reset_registers(&pstate(), cart);
}

inline void tear_down_machine(tovo_cart* cart, tovo_cart* working) {
  tarq_destroy_tovo_cart(cart);
  tarq_destroy_tovo_cart(working);
  pitem(0) = nullptr;
  for (tarq_bitmap* screen : pstate().screens) tarq_destroy_bitmap(screen);
  std::memset(&pstate(), 0, sizeof pstate());
}
