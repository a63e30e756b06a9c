#pragma once
// A headless machine that runs cart code through run_cart and run_slice with
// a fake engine clock: the machine's cart, four screens, a working cart whose
// code the test gives, and ticks that advance the clock by one frame each.
// Header-only, so that test programs of any subsystem that link the console
// library can use it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "console/machine/button.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/tarq.h"
#include "script/api/api.h"
#include "script/vm/cpu.h"
#include "tests/support/cart_machine.h"
#include "tests/support/fake_shell.h"

namespace tovo_test {

// The run loop's clock, which the harness holds and moves itself.
inline int32_t& fake_now = run_state().held_clock_ms;

class CartHarness : public testing::Test {
 protected:
  void SetUp() override {
    std::memset(&run_state(), 0, sizeof run_state());
    install_fake_shell();
    run_state().host_framerate_control = 0;  // no measured host rate: never drop
    reset_run_chain();
    run_state().clock_held = 1;
    fake_now = 1000000;
    create_cart_machine();
  }

  void TearDown() override {
    destroy_cart_machine();
    pstate().script_memory = pstate().code_overhead = 0;
    run_state().clock_held = 0;
  }

  // The working cart's code, split into its tabs as loading does.
  void set_code(const std::string& code) { set_cart_code(code); }

  // Starts the cart as the shell does for its pending run action.
  void start(const std::string& code) {
    set_code(code);
    run_state().pending_action = TOVO_PENDING_RUN;
    run_cart();
    run_state().pending_action = TOVO_PENDING_NONE;
  }

  // Console ticks: a pending suspension is carried out as the shell does at
  // the start of its update, the clock advances by one frame at the current
  // rate, and unless the shell would hold it (load delay) the tick takes its
  // input step, as a running cart's tick does, and runs a slice.
  void tick(int n = 1) {
    for (int i = 0; i < n; i++) {
      if (run_state().pending_action == TOVO_PENDING_SUSPEND) {
        run_state().pending_action = TOVO_PENDING_NONE;
        suspend_program();
      }
      int32_t fps = run_state().current_fps > 0 ? run_state().current_fps : 30;
      fake_now += 1000 / fps;
      if (run_state().load_delay > 0) {
        run_state().load_delay--;
        continue;
      }
      step_input(run_state().mainloop_exists >= 2 ? TOVO_INPUT_CART_FRAMES : TOVO_INPUT_CART);
      run_slice();
    }
  }

  // The value of a global of the cart's state as text ("nil" when absent).
  std::string global(const char* name) {
    lua_getglobal(L0_cart(), name);
    std::string out;
    if (lua_type(L0_cart(), -1) == LUA_TBOOLEAN) out = lua_toboolean(L0_cart(), -1) ? "true" : "false";
    else if (const char* s = lua_tostring(L0_cart(), -1)) out = s;
    else out = "nil";
    lua_pop(L0_cart(), 1);
    return out;
  }
};

}  // namespace tovo_test
