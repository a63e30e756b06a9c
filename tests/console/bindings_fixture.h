#pragma once
// A fixture for tests of the script bindings: a machine as the shell sets it
// up (screens, the machine's cart, a working cart, registers after their
// reset) and an interpreter state with the whole API registered and the
// console as its host. Script text runs through the state; a binding can
// also be called from native code so that only its own charge moves the
// cycle counters.
#include <string>

#include "console/bindings/api_list.h"
#include "console/machine/cart.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/script_host.h"
#include "tests/console/machine_setup.h"
#include "tests/script/vm_fixture.h"
#include "tests/support/fake_shell.h"

class BindingsTest : public VmTest {
 protected:
  BindingsTest() : VmTest(&tovo_script_host) {}

  tovo_cart* cart = nullptr;
  tovo_cart* working = nullptr;
  lua_State* saved_state = nullptr;

  void SetUp() override {
    set_up_machine(cart, working);
    install_fake_shell();
    run_state().target_fps = 30;
    run_state().current_fps = 30;
    VmTest::SetUp();
    saved_state = L0();
    L0() = L;  // the state in use, which the machine charges
    add_c_functions(L);
    add_c_functions_system(L);
  }

  void TearDown() override {
    L0() = saved_state;
    VmTest::TearDown();
    tear_down_machine(cart, working);
  }

  // The results of the expression list src, each as text: numbers and
  // strings as their text (strings quoted), booleans, nil.
  std::string results(const std::string& src) {
    int status = run("return " + src);
    if (status != LUA_OK) return "error: " + top_text(L);
    std::string out;
    for (int i = 1; i <= lua_gettop(L); i++) {
      if (i > 1) out += ",";
      switch (lua_type(L, i)) {
        case LUA_TNIL: out += "nil"; break;
        case LUA_TBOOLEAN: out += lua_toboolean(L, i) ? "true" : "false"; break;
        case LUA_TSTRING: out += "\"" + text_of(i) + "\""; break;
        case LUA_TNUMBER: {
          lua_pushvalue(L, i);
          out += text_of(-1);
          lua_pop(L, 1);
          break;
        }
        default: out += lua_typename(L, lua_type(L, i)); break;
      }
    }
    return out;
  }

  // The raw 16.16 value of the first result of src.
  int32_t raw(const std::string& src) { return number_of("return " + src); }

  // Evaluates args (an expression list) as the arguments of the global
  // `name`, then calls it from native code; the cycles the call charged
  // (its results replace the stack).
  int32_t charge(const char* name, const std::string& args) {
    int status = run("return " + (args.empty() ? std::string("nil") : args));
    EXPECT_EQ(status, LUA_OK) << top_text(L);
    int nargs = args.empty() ? 0 : lua_gettop(L);
    lua_settop(L, nargs);
    lua_getglobal(L, name);
    lua_insert(L, 1);
    int32_t before = lua_get_cpu_cycles(L);
    status = lua_pcall(L, nargs, LUA_MULTRET, 0);
    EXPECT_EQ(status, LUA_OK) << top_text(L);
    return lua_get_cpu_cycles(L) - before;
  }
};
