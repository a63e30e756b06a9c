#pragma once
// A machine as the shell sets it up: four screens, the machine's cart, a
// working cart and the registers after their reset. Benchmarks make it once
// and keep it for the whole program.
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/machine/registers.h"
#include "engine/data/gfx.h"

inline void bench_make_machine() {
  for (tarq_bitmap*& screen : pstate().screens) screen = tarq_create_bitmap(128, 128, 8);
  pstate().cart = tarq_create_tovo_cart();
  pitem(0) = tarq_create_tovo_cart();
  tovo_reset_registers(&pstate(), pstate().cart);
}
